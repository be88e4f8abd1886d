#pragma once
// Results of the card-read sequences.
enum ReadResult : int
{
    kReadCardOk = 1,          // the card reply is complete and is not the card on show
    kReadPortFailed = -1,     // the serial port could not be opened (or its baud rate was refused)
    kReadExchangeFailed = -2, // header time-out on serial, a failed write, a failed HID exchange
    kReadNoCardData = -3,     // SW3 of the card data is not 0x90, or an extended reply was refused
    kReadBadReply = -4,       // body time-out, check error, a length out of range or too long, bad payload
    kReadHidNotFound = -9,    // no HID reader
    kReadSameCard = -11,      // the identity number equals LastIdNo
    kReadBusy = -12,          // a read is already running (the event pump let a second one in)
    kReadCancelled = -13,     // CancelRead stopped the read (the program is ending)
    kReadSdkMissing = -14,    // the vendor's SDK library or one of its entries is missing
};
