#pragma once
// ControlsOff: a dataset's controls left alone for a scope (DisableControls, then EnableControls
// when the scope ends, also by an exception), so that they see the dataset once, as the scope leaves
// it, instead of every step on the way.
#include "platform/db/DataSet.h"

class ControlsOff
{
public:
    explicit ControlsOff(TDataSet& dataSet) : dataSet_(dataSet) { dataSet_.DisableControls(); }
    ~ControlsOff() { dataSet_.EnableControls(); }
    ControlsOff(const ControlsOff&) = delete;
    ControlsOff& operator=(const ControlsOff&) = delete;

private:
    TDataSet& dataSet_;
};
