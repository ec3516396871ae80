#pragma once
// The steps of the start-up that are not about windows, in the order the main window runs them.

#include <functional>
#include <optional>
#include <string>

namespace mobrelle {

struct AppCore;

// Asks for the lock password with a caption and a prompt; nothing when the user cancels.
using PasswordPrompt = std::function<std::optional<std::string>(const std::string& caption, const std::string& prompt)>;

// The process-wide lists, the version in status panel 1 and the month names.
void PrepareCore(AppCore& core, bool ctrlHeld);

// The start-up password: true when there is none, or when the right one was given (the lock is
// then active). False ends the program before anything is loaded.
bool UnlockAtStartup(AppCore& core, const PasswordPrompt& ask);

// The help version, the old filter-file conversion, the mailbox names, the custom wildcards and
// the mailboxes themselves (each timer running), then the settings LoadSettings reads.
void LoadAccountsAndSettings(AppCore& core, const std::string& programFolder);

// The names of the mailbox sections of the file: every section but the settings and the wildcards.
std::vector<std::string> MailboxSectionNames(const AppCore& core);

// Whether the first command-line argument asks to start hidden in the tray.
bool StartsInTray(const std::optional<std::string>& firstArgument);

}  // namespace mobrelle
