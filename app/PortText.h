#pragma once
// The reader port typed or picked in a port combo box. Shared by the port boxes of the set-up
// dialog and the settings page: both act only for a combo box whose name ends in "_txsz".
#include <QObject>

#include <optional>
#include <string>

// The port number of text: blanks and control characters at both ends are ignored; an empty text
// or one with anything but digits gives nothing; digits beyond the range of an int raise
// EConvertError ("'…' is not a valid integer value").
std::optional<int> PortFromText(const std::string& text);
// The same for the current text of Sender when it is a combo box named "…_txsz", else nothing.
std::optional<int> PortFromSender(const QObject* Sender);
