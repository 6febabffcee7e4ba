// Asking for the web page's password on the terminal, without echoing it. Without a terminal
// (a script) one line is read from standard input.
#pragma once

#include <QString>
#include <optional>

namespace PasswordPrompt {

// Nothing at the end of the input.
std::optional<QString> ask(const char *prompt);

} // namespace PasswordPrompt
