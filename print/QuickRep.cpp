#include "print/QuickRep.h"

#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

TQuickRep::TQuickRep(QWidget* parent)
    : QWidget(parent), printer_(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    const QSizeF size = ReportPage::PageSizePixels();
    setFixedSize(qRound(size.width()), qRound(size.height()));
    printer_->setCopyCount(1);
}

TQuickRep::~TQuickRep() = default;

void TQuickRep::SetFrontImage(const QImage& image)
{
    page_.SetFrontImage(image);
    update();
}

void TQuickRep::SetBackImage(const QImage& image)
{
    page_.SetBackImage(image);
    update();
}

void TQuickRep::ClearImages()
{
    page_.ClearImages();
    update();
}

void TQuickRep::SetDateText(const QString& text)
{
    page_.SetDateText(text);
    update();
}

void TQuickRep::SetOffsets(int left, int top)
{
    page_.SetOffsets(left, top);
    update();
}

int TQuickRep::Copies() const
{
    return printer_->copyCount();
}

void TQuickRep::SetCopies(int copies)
{
    printer_->setCopyCount(copies < 1 ? 1 : copies);
}

bool TQuickRep::PrinterSetup()
{
    if (setupDialog_)
        return setupDialog_(*printer_, window());
    QPrintDialog dialog(printer_.get(), window());
    return dialog.exec() == QDialog::Accepted;
}

bool TQuickRep::Print(QString* error)
{
    return page_.Print(*printer_, error);
}

void TQuickRep::paintEvent(QPaintEvent* event)
{
    (void)event;
    QPainter painter(this);
    page_.render(painter);
}
