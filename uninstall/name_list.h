// NameList: the names of a folder listing kept in one growing heap block, so that the files
// named in the question are exactly the files removed afterwards.
#pragma once

#include <cstddef>

class NameList {
 public:
  NameList() = default;
  ~NameList();
  NameList(const NameList&) = delete;
  NameList& operator=(const NameList&) = delete;

  // False when memory runs out; the list then keeps the names added before.
  bool Add(const char* name);
  int Count() const { return count_; }
  // The first name, or null for an empty list; Next gives the name after `name`, or null.
  const char* First() const { return count_ ? data_ : nullptr; }
  const char* Next(const char* name) const;

 private:
  char* data_ = nullptr;
  std::size_t used_ = 0;
  std::size_t capacity_ = 0;
  int count_ = 0;
};
