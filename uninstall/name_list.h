// NameList: the names of a folder listing kept in one growing heap block, so that the files
// named in the question are exactly the files removed afterwards. Each name is kept as shown
// (ANSI) and as it is (wide, FolderEntry's two forms).
#pragma once

#include <cstddef>

class NameList {
 public:
  NameList() = default;
  ~NameList();
  NameList(const NameList&) = delete;
  NameList& operator=(const NameList&) = delete;

  // False when memory runs out; the list then keeps the names added before.
  bool Add(const char* name, const wchar_t* wideName);
  int Count() const { return count_; }
  // The first name, or null for an empty list; Next gives the name after `name`, or null.
  const char* First() const { return count_ ? data_ : nullptr; }
  const char* Next(const char* name) const;
  // The wide form of a name this list gave.
  static const wchar_t* WideOf(const char* name);

 private:
  char* data_ = nullptr;
  std::size_t used_ = 0;
  std::size_t capacity_ = 0;
  int count_ = 0;
};
