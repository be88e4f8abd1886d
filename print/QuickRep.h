#pragma once
// The report component of the report form: shows the card-copy page on screen at its design size and
// owns the printer the page is printed on. The printer lives as long as the report, so the choices
// made in the printer set-up dialog (printer, copies) hold for the following prints.
#include "print/ReportPage.h"

#include <QWidget>

#include <functional>
#include <memory>

class QPrinter;

class TQuickRep : public QWidget
{
    Q_OBJECT

public:
    explicit TQuickRep(QWidget* parent = nullptr);
    ~TQuickRep() override;

    TQuickRep(const TQuickRep&) = delete;
    TQuickRep& operator=(const TQuickRep&) = delete;

    const ReportPage& Page() const { return page_; }

    // Every change repaints the view at once.
    void SetFrontImage(const QImage& image);
    void SetBackImage(const QImage& image);
    void ClearImages();
    void SetDateText(const QString& text);
    void SetOffsets(int left, int top);

    QPrinter& Printer() { return *printer_; }
    // The printer settings' number of copies.
    int Copies() const;
    void SetCopies(int copies);

    // The printer set-up dialog on the report's printer; true when the operator accepted it.
    bool PrinterSetup();
    // Replaces the dialog PrinterSetup shows (tests script the operator's choice with it).
    using PrinterSetupDialog = std::function<bool(QPrinter& printer, QWidget* parent)>;
    void SetPrinterSetupDialog(PrinterSetupDialog dialog) { setupDialog_ = std::move(dialog); }

    // Prints the page with the printer's settings; false with the reason when it was not printed.
    bool Print(QString* error);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ReportPage page_;
    std::unique_ptr<QPrinter> printer_;
    PrinterSetupDialog setupDialog_;
};
