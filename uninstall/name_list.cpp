#include "uninstall/name_list.h"

#include <cstdlib>
#include <cstring>

NameList::~NameList() {
  std::free(data_);
}

bool NameList::Add(const char* name) {
  std::size_t length = std::strlen(name) + 1;
  if (length > capacity_ - used_) {
    std::size_t capacity = capacity_ ? capacity_ : 1024;
    while (length > capacity - used_) {
      if (capacity > static_cast<std::size_t>(-1) / 2)
        return false;
      capacity *= 2;
    }
    char* grown = static_cast<char*>(std::realloc(data_, capacity));
    if (!grown)
      return false;
    data_ = grown;
    capacity_ = capacity;
  }
  std::memcpy(data_ + used_, name, length);
  used_ += length;
  ++count_;
  return true;
}

const char* NameList::Next(const char* name) const {
  const char* next = name + std::strlen(name) + 1;
  return next < data_ + used_ ? next : nullptr;
}
