#pragma once
// TempState: a dataset in a temporary state (SetTempState) for a scope; the state it had comes back
// when the scope ends, also by an exception.
#include "platform/db/DataSet.h"

class TempState
{
public:
    TempState(TDataSet& dataSet, TDataSetState state) : dataSet_(dataSet), saved_(dataSet.SetTempState(state))
    {
    }
    ~TempState() { dataSet_.RestoreState(saved_); }
    TempState(const TempState&) = delete;
    TempState& operator=(const TempState&) = delete;

private:
    TDataSet& dataSet_;
    TDataSetState saved_;
};
