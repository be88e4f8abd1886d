#pragma once
// The root of everything that can be copied with Assign and whose properties can be streamed.
#include <string>

class TFiler;

class TPersistent
{
public:
    TPersistent() = default;
    TPersistent(const TPersistent&) = default;
    TPersistent& operator=(const TPersistent&) = default;
    virtual ~TPersistent() = default;

    // Copies source into this object. The base asks the source to do it (AssignTo), and a class
    // that knows neither direction raises EConvertError "Cannot assign a <source> to a <this>".
    virtual void Assign(const TPersistent& source);

    // The class name as the library spells it ("TStringList"), for messages and for handlers that
    // recognise a sender by its class.
    virtual std::string ClassName() const;

    // Lets a class store data that is not a plain property (the filer calls it while reading and
    // writing a component's properties).
    virtual void DefineProperties(TFiler& filer) { (void)filer; }

protected:
    virtual void AssignTo(TPersistent& dest) const;
    [[noreturn]] void AssignError(const TPersistent* source) const;
};
