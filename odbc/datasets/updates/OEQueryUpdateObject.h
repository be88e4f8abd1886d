#pragma once
// TOEQueryUpdateObject: what the update objects TOEUpdateSQL and TOEUpdateProc share. Each kind of
// change is written through a forward-only query of the object's own, run on the attached dataset's
// connection with its parameters taken from the row being written (FillUpdateParams). The object and
// its dataset let go of each other when either goes.
#include "odbc/datasets/OEUpdateObject.h"

#include <array>
#include <memory>

class TCustomOEQuery;

class TOEQueryUpdateObject : public TOEUpdateObject
{
public:
    // Detaches from the dataset that names it as its UpdateObject.
    ~TOEQueryUpdateObject() override;

    TCustomOEDataSet* GetDataSet() const override { return dataSet_; }
    void SetDataSet(TCustomOEDataSet* dataSet) override { dataSet_ = dataSet; }
    // SetParams, then ExecSQL.
    void Apply(TUpdateKind kind) override;

    // That kind's query, on the dataset's connection.
    TCustomOEQuery& Query(TUpdateKind kind) { return GetQuery(kind); }
    virtual TCustomOEQuery& GetQuery(TUpdateKind kind) = 0;
    // The query's parameters from the attached dataset's row being written; nothing without one.
    void SetParams(TUpdateKind kind);
    virtual void ExecSQL(TUpdateKind kind) = 0;

    // Forgets the attached dataset when it goes.
    void Notification(TComponent* component, TOperation operation) override;

protected:
    using TOEUpdateObject::TOEUpdateObject;

    // A forward-only query owned by this object.
    std::unique_ptr<TCustomOEQuery> NewQuery();
    // query, moved to the attached dataset's connection when it is on another one.
    TCustomOEQuery& OnDataSetConnection(TCustomOEQuery& query) const;

    // One per kind, in TUpdateKind order.
    std::array<std::unique_ptr<TCustomOEQuery>, 3> queries_;

private:
    TCustomOEDataSet* dataSet_ = nullptr;
};
