#include "odbc/handles/Hbase.h"

THbase::THbase(TComponent* owner) : TComponent(owner), life_(std::make_shared<THbase*>(this)) {}

THbase::~THbase()
{
    MarkDestroyed();
}

bool THbase::Init()
{
    if (onInit_)
        onInit_(this);
    return true;
}

bool THbase::Terminate()
{
    if (onTerminate_)
        onTerminate_(this);
    return true;
}
