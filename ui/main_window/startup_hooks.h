#pragma once
// Start-up steps whose windows and lists live elsewhere: each window, when it exists, puts its step
// here and the main window runs it at its place in the start-up sequence.

#include <functional>

namespace mobrelle {

struct StartupHooks {
  // First run: the first-use guide, then the question about the default filter lists.
  std::function<void()> FirstUseWindow;
  // First run with no mailbox: the mailbox editor in create mode.
  std::function<void()> CreateFirstMailbox;
  // The filter management window, created once, which loads the filter lists and the history.
  std::function<void()> CreateFilterWindow;
  // Saves the modified filter lists with their backups (part of saving the settings).
  std::function<void()> SaveFilterLists;
  // Frees the filter window at shutdown.
  std::function<void()> FreeFilterWindow;
  // The census of the mailboxes marked for it, once the internet is reachable.
  std::function<void()> StartupCensus;
  // The mail program command from "Messager" or the desktop's mail handler.
  std::function<void()> SetUpMailProgram;
};

}  // namespace mobrelle
