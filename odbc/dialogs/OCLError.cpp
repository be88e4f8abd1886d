#include "odbc/dialogs/OCLError.h"

#include "odbc/handles/OdbcError.h"
#include "platform/ui/Guard.h"
#include "platform/ui/UiServices.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <algorithm>

namespace {

// The window's outer heights are 111 (collapsed) and 271 (expanded) pixels on a platform whose
// caption and frame take 27 of them; Qt sizes the client area, the window manager adds its frame.
constexpr int kClientWidth = 291;
constexpr int kCollapsedClientHeight = 111 - 27;
constexpr int kExpandedClientHeight = 271 - 27;

// A red round sign with a white cross, drawn here rather than shipped as a bitmap.
QPixmap ErrorSign()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(128, 0, 0), 1));
    p.setBrush(QColor(220, 0, 0));
    p.drawEllipse(QRectF(1.5, 1.5, 29, 29));
    p.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10.5, 10.5), QPointF(21.5, 21.5));
    p.drawLine(QPointF(21.5, 10.5), QPointF(10.5, 21.5));
    return pixmap;
}

QLabel* NewLabel(QWidget* parent, const char* name, const char* caption, QRect geometry, Qt::Alignment align)
{
    auto* label = new QLabel(QString::fromUtf8(caption), parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    label->setAlignment(align);
    return label;
}

QPushButton* NewButton(QWidget* parent, const char* name, const char* caption, QRect geometry)
{
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setObjectName(name);
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    return button;
}

QLineEdit* NewReadOnlyEdit(QWidget* parent, const char* name, const char* text, QRect geometry)
{
    auto* edit = new QLineEdit(QString::fromUtf8(text), parent);
    edit->setObjectName(name);
    edit->setGeometry(geometry);
    edit->setReadOnly(true);
    return edit;
}

} // namespace

TOEErrorDialog::TOEErrorDialog(TComponent* owner, QWidget* parent) : TDialogForm(owner, parent)
{
    SetFormName("OEErrorDialog");
    SetCaption("Error");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    QFont font(QStringLiteral("Sans Serif"));
    font.setPixelSize(11); // 8 points at the 96 dots per inch the layout was drawn for
    setFont(font);
    setFixedSize(kClientWidth, kExpandedClientHeight);

    Image1 = new QLabel(this);
    Image1->setObjectName("Image1");
    Image1->setGeometry(12, 12, 32, 32);
    Image1->setPixmap(ErrorSign());

    Button1 = NewButton(this, "Button1", "OK", QRect(108, 56, 75, 25));
    Button1->setDefault(true);
    Button2 = NewButton(this, "Button2", "Details >>", QRect(212, 56, 75, 25));

    Bevel1 = new QFrame(this);
    Bevel1->setObjectName("Bevel1");
    Bevel1->setGeometry(4, 88, 281, 2);
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);

    Label1 = NewLabel(this, "Label1", "Label1", QRect(56, 12, 225, 41), Qt::AlignLeft | Qt::AlignTop);
    Label1->setWordWrap(true);

    Memo1 = new QPlainTextEdit(QStringLiteral("Memo1"), this);
    Memo1->setObjectName("Memo1");
    Memo1->setGeometry(8, 100, 277, 81);
    Memo1->setReadOnly(true);

    Edit1 = NewReadOnlyEdit(this, "Edit1", "Edit1", QRect(80, 188, 61, 21));
    Label2 = NewLabel(this, "Label2", "ODBC Error", QRect(8, 192, 65, 13), Qt::AlignRight | Qt::AlignTop);
    Edit2 = NewReadOnlyEdit(this, "Edit2", "Edit2", QRect(224, 188, 61, 21));
    Label3 =
        NewLabel(this, "Label3", "Database Error", QRect(144, 192, 73, 13), Qt::AlignRight | Qt::AlignTop);

    Button3 = NewButton(this, "Button3", "Prev", QRect(108, 216, 75, 25));
    Button4 = NewButton(this, "Button4", "Next", QRect(212, 216, 75, 25));

    // The right-aligned captions were measured for a narrower font: one that does not fit grows to
    // the left, up to the edit before it, and then takes a smaller font rather than lose letters.
    const auto fitLeft = [](QLabel* label, int leftmost) {
        const QRect r = label->geometry();
        const auto needed = [label] { return label->fontMetrics().horizontalAdvance(label->text()) + 1; };
        if (needed() <= r.width())
            return;
        const int left = std::max(leftmost, r.right() + 1 - needed());
        label->setGeometry(QRect(QPoint(left, r.top()), r.bottomRight()));
        QFont smaller = label->font();
        while (needed() > label->width() && smaller.pixelSize() > 8) {
            smaller.setPixelSize(smaller.pixelSize() - 1);
            label->setFont(smaller);
        }
    };
    fitLeft(Label2, 0);
    fitLeft(Label3, Edit1->geometry().right() + 2);

    setTabOrder(Button1, Button2);
    setTabOrder(Button2, Memo1);
    setTabOrder(Memo1, Edit1);
    setTabOrder(Edit1, Edit2);
    setTabOrder(Edit2, Button3);
    setTabOrder(Button3, Button4);

    ConnectGuarded(Button1, &QPushButton::clicked, this, [this] { Button1Click(Button1); });
    ConnectGuarded(Button2, &QPushButton::clicked, this, [this] { Button2Click(Button2); });
    ConnectGuarded(Button3, &QPushButton::clicked, this, [this] { Button3Click(Button3); });
    ConnectGuarded(Button4, &QPushButton::clicked, this, [this] { Button4Click(Button4); });
}

void TOEErrorDialog::showEvent(QShowEvent* event)
{
    TDialogForm::showEvent(event);
    if (!event->spontaneous())
        Guarded([this] { FormShow(this); });
}

void TOEErrorDialog::FormShow(QObject* Sender)
{
    (void)Sender;
    SetCaption("Database Error: " + ApplicationTitle());
    Label1->setText(QString::fromStdString(message_));
    Collapse();
    if (error_ != nullptr) {
        error_->First();
        Display();
    }
    Button3->setEnabled(false);
    Button4->setEnabled(true);
}

void TOEErrorDialog::Display()
{
    // An error built without records has no record to show; its fields read as empty.
    if (error_ == nullptr || error_->Cursor() < 0 || error_->Cursor() >= error_->Count()) {
        Memo1->clear();
        Edit1->clear();
        Edit2->clear();
        return;
    }
    Memo1->setPlainText(QString::fromStdString(error_->Message()));
    Edit1->setText(QString::fromStdString(error_->State()));
    Edit2->setText(QString::number(error_->Native()));
}

void TOEErrorDialog::Collapse()
{
    setFixedSize(kClientWidth, kCollapsedClientHeight);
    expanded_ = false;
    Button2->setText(QStringLiteral("Details >>"));
}

void TOEErrorDialog::Expand()
{
    setFixedSize(kClientWidth, kExpandedClientHeight);
    expanded_ = true;
    Button2->setText(QStringLiteral("Details <<"));
}

void TOEErrorDialog::Button1Click(QObject* Sender)
{
    (void)Sender;
    SetModalResult(mrCancel); // as closing the window
}

void TOEErrorDialog::Button2Click(QObject* Sender)
{
    (void)Sender;
    if (expanded_)
        Collapse();
    else
        Expand();
}

void TOEErrorDialog::Button3Click(QObject* Sender)
{
    (void)Sender;
    Button3->setEnabled(true);
    Button4->setEnabled(true);
    if (error_ == nullptr)
        return;
    if (!error_->Prev()) {
        error_->Next(); // back on the first record
        Button3->setEnabled(false);
        return;
    }
    Display();
}

void TOEErrorDialog::Button4Click(QObject* Sender)
{
    (void)Sender;
    Button3->setEnabled(true);
    Button4->setEnabled(true);
    if (error_ == nullptr)
        return;
    if (!error_->Next()) {
        error_->Prev(); // back on the last record
        Button4->setEnabled(false);
        return;
    }
    Display();
}

namespace {
// Showing the records changes nothing in the error: the cursor goes back where the caller left it.
void RestoreCursor(EODBC& error, int cursor)
{
    error.First();
    if (cursor < 0)
        error.Prev();
    // Next also steps onto the position past the last record, where it returns false.
    while (error.Cursor() < cursor && error.Next()) {
    }
}
} // namespace

void InstallErrorDialog()
{
    EODBC::SetDetailHook([](const std::string& summary, EODBC& error) {
        const int cursor = error.Cursor();
        {
            TOEErrorDialog dialog;
            dialog.SetMessage(summary);
            dialog.SetError(&error);
            dialog.ShowModal();
        }
        RestoreCursor(error, cursor);
    });
    EODBC::SetDisplayHook([](const std::string& message) {
        CurrentUi().MessageBox(message, "Error", TMsgButtons::Ok, TMsgIcon::Error);
    });
}
