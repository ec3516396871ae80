#pragma once
// The history entry of a rejected message: the texts cleaned and cut to fit one line of the
// history file, with the markers that say what caught the message. Texts are Windows-1252.

#include <string>

#include "filters/lists/filter_lists.h"
#include "filters/verdicts/judge_message.h"

namespace mobrelle {

inline constexpr char kNonexistentMarker = '\xB7';
inline constexpr char kFilterMarker = '\xA0';
inline constexpr char kOtherAddressPrefix[] = "->\xA0";
inline constexpr char kNoneOfMinePrefix[] = "=>\xA0";

// The room of the sender, subject and recipient texts with their notes.
inline constexpr int kHistoryTextBudget = 993;
// The longest history line (CR LF excluded) that the loader reads back whole.
inline constexpr std::size_t kLongestHistoryLine = 1019;

// Deletes commas and line breaks and shrinks runs of spaces to one.
std::string CleanHistoryText(const std::string& text);

HistoryEntry MakeHistoryEntry(const std::string& dateTime, const MessageInputs& msg, const MailboxRule& mailbox,
                              const Judgement& j);

}  // namespace mobrelle
