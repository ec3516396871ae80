#pragma once
// Judging one new message against the filter lists and the mailbox's rules: which filters caught
// it, the notes that name them, and the combined action letter. Nothing is acted on here.
// Texts are Windows-1252.

#include <cstdint>
#include <functional>
#include <string>

#include "filters/lists/filter_lists.h"
#include "filters/lists/history_retention.h"
#include "filters/matching/filter_matching.h"

namespace mobrelle {

class RejectAlert;

// What judging reads of a message.
struct MessageInputs {
  std::string Sender;      // Return-Path address or From text, lower case
  std::string Subject;     // decoded, lower case
  std::string To;          // decoded, case kept
  std::string Cc;          // raw text of the first "cc: " line
  uint64_t Size = 0;       // bytes, from LIST
  std::string Date;        // as shown in the list
  std::string RawSubject;  // the Subject header as received, for the reply
  std::string Uidl;        // the server's unique id
};

// The mailbox being checked and its exclusive-recipient rule.
struct MailboxRule {
  std::string Name;
  std::string DestUnique;  // domain, then the mailbox's own local parts, joined by ','
  std::string TypeRejet;   // action letter for other recipients ("R", "d", "g")
  int NatureRejet = 0;     // bits of the exclusive rule
};

// The choices of the filter window and the main window that judging and acting read.
struct VerdictSettings {
  int SujetVide = 3;       // empty subject: index into "Rdg "
  int DestAVide = 3;       // empty To and Cc
  int DestPasArobase = 3;  // a recipient text without '@'
  bool ExpEtSujetDetruire = false;
  bool RejetInex = false;
  int ConditionsRejetInex = 0;
  int AvantRejetInex = 0;
  bool FiltresActifs = true;
  int DelaiRejeterGarder = 30;  // seconds of the alert's countdown
  bool IconeListeBlanche = false;
  bool AlerteVisuelleRejet = true;
  HistoryRetention Retention;
};

// Index 0..3 of the choices "Rejeter d'office", "Détruire...", "Garder...", "Garder toujours" as
// a lower-case action letter; other values give a space.
char ChoiceLetter(int index);
// The first letter of the mailbox's "TypeRejet", lower case; anything unreadable asks and keeps.
char TypeRejetLetter(const std::string& typeRejet);
// 0xA0 "(" text ")" 0xA0, appended to the listed texts.
std::string FilterNote(const std::string& filterText);

inline constexpr char kEmptySubject[] = "<Vide>";
inline constexpr char kEmptyRecipients[] = "<Destinataire vide>";
inline constexpr char kFrameSender[] = "Interception d'un message dont l'exp\xE9" "diteur est rejet\xE9 avec";
inline constexpr char kFrameSubject[] = "Interception d'un message dont le sujet est rejet\xE9 avec";
inline constexpr char kFrameRecipient[] = "Interception d'un message dont le destinataire est rejet\xE9 avec";

inline constexpr int kCaughtTo = 1, kCaughtCc = 2, kCaughtExclusive = 4;

struct Judgement {
  char SenderCode = ' ', SubjectCode = ' ', RecipientCode = ' ';
  char NonexistentCode = ' ', ExclusiveCode = ' ';
  // The deciding entry of each list (the accepting one when it ended the scan), or -1.
  int SenderEntry = -1, SubjectEntry = -1, RecipientEntry = -1;
  std::string SenderNote, SubjectNote, ToNote, CcNote;
  int Caught = 0;           // kCaughtTo | kCaughtCc | kCaughtExclusive
  int ExclusiveResult = 0;  // 0 passed or not applied, 1 another address, 2 none of mine
  int SenderCheckResult = 0;
  bool Accepted = false;
  char Verdict = ' ';
  std::string Subject;      // the subject as judged: kEmptySubject for an empty one
  bool RecipientsEmpty = false;
  // Whether anything is to be done: filters on, not accepted, a verdict.
  bool Acts(const VerdictSettings& s) const { return s.FiltresActifs && !Accepted && Verdict != ' '; }
};

// Checks whether the sender exists and gives the result (1, 0, -1, -2).
using SenderExistsCheck = std::function<int(const std::string& sender)>;

// Judges one message. Rejecting matches mark their list modified and paint the alert's fields;
// `alert` may be null. `checkSender` may be empty (no check is made).
Judgement JudgeMessage(const MessageInputs& msg, const MailboxRule& mailbox, FilterLists& lists,
                       const MatchSettings& match, const VerdictSettings& settings, RejectAlert* alert,
                       const SenderExistsCheck& checkSender);

}  // namespace mobrelle
