#include "odbc/handles/Children.h"

#include "odbc/handles/Hbase.h"

#include <algorithm>

void TChildren::AddChild(THbase* child)
{
    children_.insert(children_.begin(), child);
}

void TChildren::RemChild(THbase* child)
{
    const auto it = std::find(children_.begin(), children_.end(), child);
    if (it != children_.end())
        children_.erase(it);
}

bool TChildren::Contains(const THbase* child) const
{
    return std::find(children_.begin(), children_.end(), child) != children_.end();
}

bool TChildren::Terminate()
{
    while (!children_.empty()) {
        THbase* child = children_.front();
        try {
            child->Terminate();
        } catch (...) {
            RemChild(child);
            throw;
        }
        if (!children_.empty() && children_.front() == child)
            RemChild(child);
    }
    return true;
}
