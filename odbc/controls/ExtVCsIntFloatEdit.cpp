#include "odbc/controls/ExtVCsIntFloatEdit.h"

#include "platform/ui/Guard.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <type_traits>

namespace {

// The text without leading blanks and without a leading "+", which from_chars does not take.
std::string NumberText(const QString& text)
{
    std::string s = text.trimmed().toStdString();
    if (!s.empty() && s.front() == '+')
        s.erase(0, 1);
    return s;
}

// The number the whole text holds, or none. "." is the decimal point here whatever the locale;
// infinities and NaN are not numbers for the box.
template <class Number> std::optional<Number> Parse(const QString& text)
{
    const std::string s = NumberText(text);
    Number value = 0;
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (s.empty() || error != std::errc() || end != s.data() + s.size())
        return std::nullopt;
    if constexpr (std::is_floating_point_v<Number>) {
        if (!std::isfinite(value))
            return std::nullopt;
    }
    return value;
}

} // namespace

TIntFloatEdit::TIntFloatEdit(TComponent* owner, QWidget* parent) : TControlOf<QLineEdit>(owner, parent)
{
    ConnectGuarded(this, &QLineEdit::textChanged, this, [this] {
        if (onChange_)
            onChange_(this);
    });
    SetInt(min_);
}

void TIntFloatEdit::SetMin(int value)
{
    min_ = value;
    DoExit();
}

void TIntFloatEdit::SetMax(int value)
{
    max_ = value;
    DoExit();
}

void TIntFloatEdit::SetKind(TIntFloatKind value)
{
    kind_ = value;
    DoExit();
}

void TIntFloatEdit::SetDecimals(int value)
{
    decimals_ = value;
    DoExit();
}

int TIntFloatEdit::GetInt() const
{
    return Clamped(Parse<int>(text()).value_or(0));
}

void TIntFloatEdit::SetInt(int value)
{
    SetTextKeepingCaret(QString::number(value));
}

double TIntFloatEdit::GetFloat() const
{
    return Clamped(Parse<double>(text()).value_or(min_));
}

void TIntFloatEdit::SetFloat(double value)
{
    // QString::number is locale-independent: the point is always ".".
    SetTextKeepingCaret(QString::number(value, 'f', decimals_ > 0 ? decimals_ : 0));
}

void TIntFloatEdit::SetTextKeepingCaret(const QString& value)
{
    // Writing the value shown (a data-aware owner showing its field again as an edit starts) must
    // not move the caret or drop the selection under the key being typed.
    if (value != text())
        setText(value);
}

void TIntFloatEdit::DoExit()
{
    if (kind_ == ifkInt)
        SetInt(GetInt());
    else
        SetFloat(GetFloat());
    if (onExit_)
        onExit_(this);
}

void TIntFloatEdit::KeyPress(QChar& key)
{
    const char16_t c = key.unicode();
    const bool allowed = c == 8 || c == u'-' || (c >= u'0' && c <= u'9') || (c == u'.' && kind_ == ifkFloat);
    if (!allowed) {
        key = QChar(0);
        return;
    }
    if (isReadOnly()) {
        // The handler may start an edit and so lift the read-only state; only then may the key act.
        if (onKeyPress_)
            onKeyPress_(this, key);
        if (isReadOnly())
            key = QChar(0);
        if (!key.isNull())
            EditText(key);
        return;
    }
    EditText(key);
    if (onKeyPress_)
        onKeyPress_(this, key);
}

void TIntFloatEdit::EditText(QChar& key)
{
    const char16_t c = key.unicode();
    if (c == u'-' && !text().isEmpty()) {
        const QString current = text();
        setText(current.startsWith(u'-') ? current.mid(1) : QStringLiteral("-") + current);
        setCursorPosition(static_cast<int>(text().size()));
        key = QChar(0);
    } else if (c == u'.') {
        if (text().isEmpty()) {
            setText(QStringLiteral("0."));
            setCursorPosition(static_cast<int>(text().size()));
            key = QChar(0);
        } else if (text().contains(u'.')) {
            key = QChar(0);
        }
    }
}

void TIntFloatEdit::keyPressEvent(QKeyEvent* event)
{
    Guarded([&] { HandleKeyPress(event); });
}

void TIntFloatEdit::HandleKeyPress(QKeyEvent* event)
{
    if (onKeyDown_) {
        int key = event->key();
        onKeyDown_(this, key, event->modifiers());
        if (key == 0) {
            event->accept();
            return;
        }
    }
    const int code = event->key();
    const QString typed = event->text();
    // Keys without a character (arrows, Delete, Home ...) and dialog keys (Enter, Escape, Tab) are
    // not filtered. Qt's codes for all of them start at Key_Escape; some keyboards still give them
    // a text (Delete as DEL, Escape as ESC), which is not a typed character.
    const bool special = code >= Qt::Key_Escape && code != Qt::Key_Backspace;
    if (special || (typed.isEmpty() && code != Qt::Key_Backspace)) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    event->accept();
    if (code != Qt::Key_Backspace && typed.size() != 1)
        return; // composed input of several characters cannot be filtered one by one here
    const QChar original = code == Qt::Key_Backspace ? QChar(8) : typed.front();
    QChar key = original;
    KeyPress(key);
    if (key.isNull())
        return;
    if (key == original)
        QLineEdit::keyPressEvent(event);
    else if (key.unicode() == 8)
        backspace();
    else
        insert(QString(key));
}

void TIntFloatEdit::keyReleaseEvent(QKeyEvent* event)
{
    Guarded([&] {
        if (onKeyUp_) {
            int key = event->key();
            onKeyUp_(this, key, event->modifiers());
            if (key == 0) {
                event->accept();
                return;
            }
        }
        QLineEdit::keyReleaseEvent(event);
    });
}

void TIntFloatEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    // A context menu or another window taking the focus is not leaving the box.
    if (event->reason() != Qt::PopupFocusReason && event->reason() != Qt::ActiveWindowFocusReason) {
        Guarded([this] { DoExit(); });
        Guarded([this] {
            if (onLeave_)
                onLeave_(this);
        });
    }
}
