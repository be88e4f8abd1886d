#pragma once
// The library's small controls: number edit, auto-repeat button, spin picker, and the list and
// combo boxes that draw an image before each item.
#include "odbc/controls/ExtVCsEvents.h"
#include "odbc/controls/ExtVCsExtendedComboBox.h"
#include "odbc/controls/ExtVCsExtendedListBox.h"
#include "odbc/controls/ExtVCsGlyphs.h"
#include "odbc/controls/ExtVCsImageList.h"
#include "odbc/controls/ExtVCsIntFloatEdit.h"
#include "odbc/controls/ExtVCsIntFloatPicker.h"
#include "odbc/controls/ExtVCsItemImages.h"
#include "odbc/controls/ExtVCsTimerButton.h"
