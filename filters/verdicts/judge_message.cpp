#include "filters/verdicts/judge_message.h"

#include "filters/matching/list_scan.h"
#include "filters/sender_check/sender_check_rules.h"
#include "filters/verdicts/exclusive_recipients.h"
#include "filters/verdicts/verdict_ports.h"
#include "polling/headers/extract_address.h"

namespace mobrelle {

namespace {

constexpr char kChoiceLetters[] = "Rdg ";

// The higher-ranked of two letters; the first on a tie.
char Higher(char current, char other) { return ActionRank(other) > ActionRank(current) ? other : current; }

const std::string& EntryText(const FilterList& list, int index) {
  static const std::string none;
  return index >= 0 && static_cast<std::size_t>(index) < list.Entries.size() ? list.Entries[index].Text : none;
}

int DecidingOf(const ScanResult& r) { return r.Accepted ? r.AcceptingEntry : r.DecidingEntry; }

}  // namespace

char ChoiceLetter(int index) {
  if (index < 0 || index > 3) return ' ';
  return static_cast<char>(kChoiceLetters[index] | 0x20);
}

char TypeRejetLetter(const std::string& typeRejet) {
  if (typeRejet.empty()) return 'g';
  const char c = static_cast<char>(typeRejet[0] | 0x20);
  return c == 'r' || c == 'd' || c == 'g' ? c : 'g';
}

std::string FilterNote(const std::string& filterText) { return "\xA0(" + filterText + ")\xA0"; }

Judgement JudgeMessage(const MessageInputs& msg, const MailboxRule& mailbox, FilterLists& lists,
                       const MatchSettings& match, const VerdictSettings& settings, RejectAlert* alert,
                       const SenderExistsCheck& checkSender) {
  Judgement j;
  if (alert) alert->ClearFields();

  // Sender.
  const ScanResult sender = ScanSenderList(lists.ListeAdr, ExtractAddress(msg.Sender), match);
  if (!sender.RejectingMatches.empty()) {
    if (alert) {
      alert->PaintRed(AlertField::Sender);
      alert->SetFrameText(kFrameSender);
    }
    lists.ListeAdr.Modified = true;
  }
  j.SenderCode = sender.Code;
  j.SenderEntry = DecidingOf(sender);
  if (j.SenderEntry >= 0) j.SenderNote = FilterNote(EntryText(lists.ListeAdr, j.SenderEntry));

  // Empty subject.
  j.Subject = msg.Subject;
  if (j.Subject.empty()) {
    j.Subject = kEmptySubject;
    if (settings.SujetVide >= 0 && settings.SujetVide < 3) {
      j.Subject += '\xA0';
      j.SubjectCode = ChoiceLetter(settings.SujetVide);
      if (alert) alert->PaintRed(AlertField::Subject);
    }
  }

  // Subject.
  const ScanResult subject = ScanSubjectList(lists.ListeSuj, j.Subject, match, j.SubjectCode);
  if (!subject.RejectingMatches.empty()) {
    if (alert) {
      alert->PaintRed(AlertField::Subject);
      alert->SetFrameText(kFrameSubject);
    }
    lists.ListeSuj.Modified = true;
  }
  j.SubjectCode = subject.Code;
  j.SubjectEntry = DecidingOf(subject);
  if (j.SubjectEntry >= 0) j.SubjectNote = FilterNote(EntryText(lists.ListeSuj, j.SubjectEntry));

  // Empty recipients, and recipients without '@'.
  if (msg.To.empty() && msg.Cc.empty()) {
    j.RecipientsEmpty = true;
    j.RecipientCode = ChoiceLetter(settings.DestAVide);
    if (alert) alert->ShowRecipientsEmpty();
  }
  if ((!msg.To.empty() && msg.To.find('@') == std::string::npos) ||
      (!msg.Cc.empty() && msg.Cc.find('@') == std::string::npos))
    j.RecipientCode = Higher(j.RecipientCode, ChoiceLetter(settings.DestPasArobase));

  // Recipients.
  const ScanResult recipient = ScanRecipientList(lists.ListeDest, msg.To, msg.Cc, match, j.RecipientCode);
  if (!recipient.RejectingMatches.empty()) {
    if (alert) {
      if (recipient.ToCaught) alert->PaintRed(AlertField::To);
      if (recipient.CcCaught) alert->PaintRed(AlertField::Cc);
      alert->SetFrameText(kFrameRecipient);
    }
    lists.ListeDest.Modified = true;
    if (recipient.ToCaught) j.Caught |= kCaughtTo;
    if (recipient.CcCaught) j.Caught |= kCaughtCc;
  }
  j.RecipientCode = recipient.Code;
  j.RecipientEntry = DecidingOf(recipient);
  if (j.RecipientEntry >= 0) {
    const std::string note = FilterNote(EntryText(lists.ListeDest, j.RecipientEntry));
    if (recipient.DecidingTo) j.ToNote = note;
    if (recipient.DecidingCc) j.CcNote = note;
  }

  j.Accepted = sender.Accepted || subject.Accepted || recipient.Accepted;

  // The mailbox's own addresses.
  if (!mailbox.DestUnique.empty() && !j.Accepted) {
    const ExclusiveCheck excl = CheckExclusiveRecipients(msg.To, msg.Cc, mailbox.DestUnique, mailbox.NatureRejet);
    j.ExclusiveResult = excl.Result;
    if (!excl.Passed) {
      if (alert) {
        alert->PaintRed(AlertField::To);
        alert->PaintRed(AlertField::Cc);
      }
      j.ExclusiveCode = TypeRejetLetter(mailbox.TypeRejet);
    }
  }

  // Combining.
  if (settings.ExpEtSujetDetruire && j.SenderCode == 'd' && j.SubjectCode == 'd') {
    j.Verdict = 'r';
  } else {
    const char codes[] = {j.SenderCode, j.SubjectCode, j.RecipientCode, j.ExclusiveCode};
    for (const char wanted : {'r', 'd', 'g'})
      for (const char c : codes)
        if (j.Verdict == ' ' && c == wanted) j.Verdict = wanted;
  }
  if (j.ExclusiveCode != ' ') j.Caught |= kCaughtExclusive;

  // Whether the sender exists.
  j.SenderCheckResult = kSenderNotVerified;
  if (j.Verdict != 'r' && !j.Accepted && settings.RejetInex && checkSender) {
    j.SenderCheckResult = checkSender(msg.Sender);
    if (SenderCheckRejects(j.SenderCheckResult, settings.ConditionsRejetInex)) {
      // A value out of range asks and keeps: a damaged file must never delete without asking.
      const int before = settings.AvantRejetInex;
      j.NonexistentCode = before >= 0 && before <= 2 ? ChoiceLetter(before) : 'g';
      j.Verdict = Higher(j.Verdict, j.NonexistentCode);
    }
  }
  return j;
}

}  // namespace mobrelle
