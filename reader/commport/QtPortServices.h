#pragma once
// What SerialPort needs from the user-interface side, in Qt: a poster that queues its notifications
// onto the user-interface thread, and the message boxes and configuration dialog it shows.
#include "reader/commport/SerialPort.h"

// Queues a function to run on the thread of the application object.
PostToUiThread QtUiThreadPoster();
// Message boxes (exclamation icon) through the user-interface services, and the port configuration
// dialog.
void AttachQtPortServices(SerialPort& port);
