// The checker's two ways of telling its result: text for people, JSON for tools.
#pragma once

#include <string>

#include "check/check_warning.h"

struct CheckResult;

std::string TextReport(const CheckResult& result);
std::string JsonReport(const CheckResult& result);
// The text report's warnings: "Warnings (N):" and a line for each, or "Warnings: none".
std::string TextWarnings(const CheckWarnings& warnings);

// A JSON string of the bytes of `text`: control bytes and bytes 0x80 to 0xFF as \u00XX escapes,
// so the bytes come back one for one whatever the code page.
std::string JsonString(const std::string& text);
