#include "odbc/controls/ExtVCsIntFloatPicker.h"

#include "odbc/controls/ExtVCsGlyphs.h"
#include "odbc/controls/ExtVCsIntFloatEdit.h"
#include "odbc/controls/ExtVCsTimerButton.h"
#include "platform/ui/Guard.h"

#include <QEvent>
#include <QIcon>
#include <QPixmap>
#include <QResizeEvent>
#include <limits>

namespace {

constexpr int kHeight = 21;
constexpr int kButtonWidth = 14;

TTimerButton* NewSpinButton(TIntFloatPicker* picker, const char* glyph)
{
    auto* button = new TTimerButton(picker, picker);
    const QImage image = LoadGlyph(glyph);
    button->setIcon(QIcon(QPixmap::fromImage(image)));
    button->setIconSize(image.size());
    return button;
}

} // namespace

TIntFloatPicker::TIntFloatPicker(TComponent* owner, QWidget* parent)
    : TControlOf<QFrame>(owner, parent), edit_(new TIntFloatEdit(this, this)),
      upButton_(NewSpinButton(this, "UPARROW")), downButton_(NewSpinButton(this, "DOWNARROW"))
{
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    setFocusProxy(edit_); // the focus goes on to the number
    resize(121, kHeight);

    edit_->SetOnChange([this](QObject* sender) { DoChange(sender); });
    edit_->SetOnKeyPress([this](QObject* sender, QChar& key) { DoKeyPress(sender, key); });
    edit_->SetOnKeyDown(
        [this](QObject* sender, int& key, Qt::KeyboardModifiers shift) { DoKeyDown(sender, key, shift); });
    edit_->SetOnKeyUp(
        [this](QObject* sender, int& key, Qt::KeyboardModifiers shift) { DoKeyUp(sender, key, shift); });
    edit_->SetOnLeave([this](QObject*) { DoExit(); }); // the buttons never take the focus
    upButton_->SetOnClick([this](QObject* sender) { UpButtonClick(sender); });
    downButton_->SetOnClick([this](QObject* sender) { DownButtonClick(sender); });
    upButton_->SetOnMouseDown([this](QObject* sender) { ButtonMouseDown(sender); });
    downButton_->SetOnMouseDown([this](QObject* sender) { ButtonMouseDown(sender); });
    SetSpinNumSize();
}

void TIntFloatPicker::SetEnabled(bool value)
{
    enabled_ = value;
    edit_->setEnabled(value);
    upButton_->setEnabled(value);
    downButton_->setEnabled(value);
}

bool TIntFloatPicker::EditReadOnly() const
{
    return edit_->isReadOnly();
}

void TIntFloatPicker::SetEditReadOnly(bool value)
{
    edit_->setReadOnly(value);
}

void TIntFloatPicker::SetUpDown(bool value)
{
    upDown_ = value;
    SetSpinNumSize();
}

int TIntFloatPicker::Min() const
{
    return edit_->Min();
}
void TIntFloatPicker::SetMin(int value)
{
    edit_->SetMin(value);
}
int TIntFloatPicker::Max() const
{
    return edit_->Max();
}
void TIntFloatPicker::SetMax(int value)
{
    edit_->SetMax(value);
}
TIntFloatKind TIntFloatPicker::Kind() const
{
    return edit_->Kind();
}
void TIntFloatPicker::SetKind(TIntFloatKind value)
{
    edit_->SetKind(value);
}
int TIntFloatPicker::Decimals() const
{
    return edit_->Decimals();
}
void TIntFloatPicker::SetDecimals(int value)
{
    edit_->SetDecimals(value);
}
int TIntFloatPicker::GetInt() const
{
    return edit_->GetInt();
}
void TIntFloatPicker::SetInt(int value)
{
    edit_->SetInt(value);
}
double TIntFloatPicker::GetFloat() const
{
    return edit_->GetFloat();
}
void TIntFloatPicker::SetFloat(double value)
{
    edit_->SetFloat(value);
}

void TIntFloatPicker::SetSpinNumSize()
{
    setFixedHeight(kHeight);
    const int w = width();
    const int h = kHeight;
    edit_->setFrame(false);
    edit_->setGeometry(1, 1, upDown_ ? w - 20 : w, h - 6);
    const int buttonHeight = (h - 4) / 2;
    upButton_->setGeometry(w - 18, 0, kButtonWidth, buttonHeight);
    downButton_->setGeometry(w - 18, buttonHeight + (h - 4) % 2, kButtonWidth, buttonHeight);
    upButton_->setVisible(upDown_);
    downButton_->setVisible(upDown_);
}

void TIntFloatPicker::Loaded()
{
    TControlOf<QFrame>::Loaded();
    SetSpinNumSize();
}

void TIntFloatPicker::resizeEvent(QResizeEvent* event)
{
    TControlOf<QFrame>::resizeEvent(event);
    SetSpinNumSize();
}

void TIntFloatPicker::changeEvent(QEvent* event)
{
    TControlOf<QFrame>::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        SetSpinNumSize();
}

void TIntFloatPicker::UpButtonClick(QObject* Sender)
{
    (void)Sender;
    if (!EditReadOnly() && !(Min() < Max() && GetFloat() >= Max())) {
        if (Kind() == ifkInt) {
            const int value = GetInt();
            // Unbounded, the largest integer stays where it is rather than overflow.
            SetInt(value < std::numeric_limits<int>::max() ? value + 1 : value);
        } else {
            SetFloat(GetFloat() + 1.0);
        }
    }
    edit_->setCursorPosition(static_cast<int>(edit_->text().size()));
}

void TIntFloatPicker::DownButtonClick(QObject* Sender)
{
    (void)Sender;
    if (!EditReadOnly() && !(Min() < Max() && GetFloat() <= Min())) {
        if (Kind() == ifkInt) {
            const int value = GetInt();
            SetInt(value > std::numeric_limits<int>::min() ? value - 1 : value);
        } else {
            SetFloat(GetFloat() - 1.0);
        }
    }
    edit_->setCursorPosition(static_cast<int>(edit_->text().size()));
}

void TIntFloatPicker::ButtonMouseDown(QObject* Sender)
{
    DoDropDown(Sender);
}

void TIntFloatPicker::DoChange(QObject* Sender)
{
    (void)Sender;
    Change();
}
void TIntFloatPicker::DoDropDown(QObject* Sender)
{
    (void)Sender;
    DropDown();
}
void TIntFloatPicker::DoKeyPress(QObject* Sender, QChar& key)
{
    (void)Sender;
    KeyPress(key);
}

void TIntFloatPicker::DoKeyDown(QObject* Sender, int& key, Qt::KeyboardModifiers shift)
{
    KeyDown(key, shift);
    // With the key as the handler left it: the arrow keys step the value.
    if (key == Qt::Key_Up)
        UpButtonClick(Sender);
    else if (key == Qt::Key_Down)
        DownButtonClick(Sender);
}

void TIntFloatPicker::DoKeyUp(QObject* Sender, int& key, Qt::KeyboardModifiers shift)
{
    (void)Sender;
    KeyUp(key, shift);
}

void TIntFloatPicker::Change()
{
    if (onChange_)
        onChange_(this);
}
void TIntFloatPicker::DropDown()
{
    if (onDropDown_)
        onDropDown_(this);
}
void TIntFloatPicker::KeyPress(QChar& key)
{
    if (onKeyPress_)
        onKeyPress_(this, key);
}
void TIntFloatPicker::KeyDown(int& key, Qt::KeyboardModifiers shift)
{
    if (onKeyDown_)
        onKeyDown_(this, key, shift);
}
void TIntFloatPicker::KeyUp(int& key, Qt::KeyboardModifiers shift)
{
    if (onKeyUp_)
        onKeyUp_(this, key, shift);
}
void TIntFloatPicker::DoExit()
{
    if (onExit_)
        onExit_(this);
}
