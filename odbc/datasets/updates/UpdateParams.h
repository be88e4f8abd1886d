#pragma once
// FillUpdateParams: how an update object's statement takes its parameters from the row being written.
// A parameter named "OLD_" and a field name (without regard to ASCII case) takes the field's value
// from before the change; any other parameter the current value of the field of its own name. A
// parameter whose field does not exist keeps what it held.
class TCustomOEDataSet;
class TParams;

void FillUpdateParams(TCustomOEDataSet& dataSet, TParams& params);
