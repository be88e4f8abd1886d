#pragma once
// TOEUpdateObject: what a dataset's UpdateObject is. An update object writes the dataset's changed
// rows with statements of its own instead of the statement's generated ones: when the dataset is
// about to write a row of a kind the object handles (GetImplemented), it calls Apply for that kind
// and skips its generated statement. The kinds live in odbc/datasets/updates/.
#include "platform/core/Component.h"
#include "platform/db/DBTypes.h"

class TCustomOEDataSet;

class TOEUpdateObject : public TComponent
{
public:
    using TComponent::TComponent;

    // The attached dataset, or none. SetDataSet only records it: the dataset's SetUpdateObject keeps
    // the link symmetric.
    virtual TCustomOEDataSet* GetDataSet() const = 0;
    virtual void SetDataSet(TCustomOEDataSet* dataSet) = 0;
    virtual bool GetImplemented(TUpdateKind kind) = 0;
    // Writes the attached dataset's row being written back, for that kind of change.
    virtual void Apply(TUpdateKind kind) = 0;

    TCustomOEDataSet* DataSet() const { return GetDataSet(); }
};
