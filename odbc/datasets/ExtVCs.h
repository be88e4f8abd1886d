#pragma once
// The library's small controls: number edit, auto-repeat button, spin picker, and the list and
// combo boxes that draw an image before each item.
#include "odbc/datasets/ExtVCsEvents.h"
#include "odbc/datasets/ExtVCsExtendedComboBox.h"
#include "odbc/datasets/ExtVCsExtendedListBox.h"
#include "odbc/datasets/ExtVCsGlyphs.h"
#include "odbc/datasets/ExtVCsImageList.h"
#include "odbc/datasets/ExtVCsIntFloatEdit.h"
#include "odbc/datasets/ExtVCsIntFloatPicker.h"
#include "odbc/datasets/ExtVCsItemImages.h"
#include "odbc/datasets/ExtVCsTimerButton.h"
