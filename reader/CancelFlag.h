#pragma once
// Set when a read must stop at once (the program is ending): the waits of the exchange see it at
// their next look and give up, and no further command goes out. One thread only, like the reads.
class CancelFlag
{
public:
    void Cancel() { set_ = true; }
    void Reset() { set_ = false; }
    bool Cancelled() const { return set_; }

private:
    bool set_ = false;
};
