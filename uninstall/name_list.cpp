#include "uninstall/name_list.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>

NameList::~NameList() {
  std::free(data_);
}

namespace {

// The wide form follows the shown one at the next boundary of a wide character; the block is
// aligned for any type.
std::size_t WideOffset(std::size_t shownLength) {
  return (shownLength + 1 + sizeof(wchar_t) - 1) / sizeof(wchar_t) * sizeof(wchar_t);
}

}  // namespace

bool NameList::Add(const char* name, const wchar_t* wideName) {
  std::size_t offset = WideOffset(std::strlen(name));
  std::size_t length = offset + (std::wcslen(wideName) + 1) * sizeof(wchar_t);
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
  std::memcpy(data_ + used_, name, std::strlen(name) + 1);
  std::memcpy(data_ + used_ + offset, wideName, length - offset);
  used_ += length;
  ++count_;
  return true;
}

const wchar_t* NameList::WideOf(const char* name) {
  return reinterpret_cast<const wchar_t*>(name + WideOffset(std::strlen(name)));
}

const char* NameList::Next(const char* name) const {
  const wchar_t* wide = WideOf(name);
  const char* next = reinterpret_cast<const char*>(wide + std::wcslen(wide) + 1);
  return next < data_ + used_ ? next : nullptr;
}
