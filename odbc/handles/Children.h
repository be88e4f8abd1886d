#pragma once
// The list through which an environment knows its connections and a connection its statements.
// It does not own the children. Terminate ends every child; each child's Terminate removes it from
// the list.
#include <vector>

class TComponent;
class THbase;

class TChildren
{
public:
    // The newest child comes first.
    void AddChild(THbase* child);
    // Removes the first entry for child; nothing when it is absent.
    void RemChild(THbase* child);
    void Clear() { children_.clear(); }
    bool Contains(const THbase* child) const;
    // Removes the child that is this component: used when a child is being destroyed, when its
    // THbase part is already gone and only its component identity can be compared.
    void RemComponent(const TComponent* component);
    int Count() const { return static_cast<int>(children_.size()); }

    // Terminates the first child until none is left. A child whose Terminate did not remove it (or
    // raised) is taken off the list all the same, so the loop always ends.
    bool Terminate();

private:
    struct Entry
    {
        THbase* child;
        const TComponent* component; // the same object, taken while it was whole
    };
    std::vector<Entry> children_; // front = head
};
