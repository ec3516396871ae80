#pragma once
// "mobrelle --check": one check of every mailbox of the program folder without a window. An alert
// settles at once as its countdown would ('d' deletes, 'g' keeps); everything else runs as in the
// window. Prints the message list (one row a line, tab-separated, UTF-8) and a line per mailbox,
// then saves the lists as at exit.

#include <QString>
#include <ostream>

namespace mobrelle {

// 0 when every mailbox was reached, 1 when one could not be, 2 when the check could not run at all
// (the window runs on this folder, another check holds it, a lock password is set).
int RunHeadlessCheck(const QString& folder, bool severalInstances, std::ostream& out, std::ostream& err);

}  // namespace mobrelle
