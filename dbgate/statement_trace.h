// The statement trace: when the UI port asks for it, every statement text
// Dbgate sends to the server becomes the transcript line  SQL "<text>"
// (quoted with \" \\ \t \n escapes, as every transcript word is).
#pragma once

#include <string>

namespace kassa::dbgate {

void TraceStatement(const std::string& text);

}  // namespace kassa::dbgate
