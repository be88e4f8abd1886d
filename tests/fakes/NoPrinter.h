// NoPrinter: a report printer that prints nowhere, as a test arranges "no printer".
#pragma once
#include <QPrinter>

// PDF output without a file, which the report takes for "no printer". The file name goes first: Qt
// turns a printer whose file name is set empty into the system's default printer. True when the
// printer is left in that state.
inline bool MakeNoPrinter(QPrinter& printer)
{
    printer.setOutputFileName(QString());
    printer.setOutputFormat(QPrinter::PdfFormat);
    return printer.outputFormat() == QPrinter::PdfFormat && printer.outputFileName().isEmpty();
}
