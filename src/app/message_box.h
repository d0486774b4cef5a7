#pragma once
// Every message box of the program goes through these two functions, so the
// tests can answer them without a person (SetMessageHook).
#include <QString>
#include <functional>

class QWidget;

enum class CAnswer { Ok, Yes, No, Cancel };
enum class CMessageKind { Information, Warning, Error, Question };

// Receives the text and kind instead of a box being shown; returns the answer.
using CMessageHook = std::function<CAnswer(const QString& text, CMessageKind kind)>;
void SetMessageHook(CMessageHook hook);

// A plain box with an OK button, titled "Tarvo".
CAnswer ShowMessage(QWidget* parent, const QString& text, CMessageKind kind = CMessageKind::Warning);
// The same with its own caption.
CAnswer ShowMessageTitled(QWidget* parent, const QString& title, const QString& text, CMessageKind kind);
// Yes / No, with the information icon.
CAnswer AskYesNo(QWidget* parent, const QString& text);
// Yes / No / Cancel.
CAnswer AskYesNoCancel(QWidget* parent, const QString& text);
