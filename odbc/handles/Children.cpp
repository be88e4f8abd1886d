#include "odbc/handles/Children.h"

#include "odbc/handles/Hbase.h"

#include <algorithm>

void TChildren::AddChild(THbase* child)
{
    children_.insert(children_.begin(), Entry{child, static_cast<const TComponent*>(child)});
}

void TChildren::RemChild(THbase* child)
{
    const auto it =
        std::find_if(children_.begin(), children_.end(), [&](const Entry& e) { return e.child == child; });
    if (it != children_.end())
        children_.erase(it);
}

void TChildren::RemComponent(const TComponent* component)
{
    const auto it = std::find_if(children_.begin(), children_.end(),
                                 [&](const Entry& e) { return e.component == component; });
    if (it != children_.end())
        children_.erase(it);
}

bool TChildren::Contains(const THbase* child) const
{
    return std::any_of(children_.begin(), children_.end(), [&](const Entry& e) { return e.child == child; });
}

bool TChildren::Terminate()
{
    while (!children_.empty()) {
        THbase* child = children_.front().child;
        try {
            child->Terminate();
        } catch (...) {
            RemChild(child);
            throw;
        }
        if (!children_.empty() && children_.front().child == child)
            RemChild(child);
    }
    return true;
}
