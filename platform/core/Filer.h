#pragma once
// Property streaming: a filer visits the properties of a persistent object (its DefineProperties
// names each one with a read and a write routine); the writer puts them into a stream, the reader
// takes them back out.
//
// The stream is our own tagged binary form. Every value starts with one tag byte (TValueType);
// numbers are little-endian:
//   vaNull (0)        no payload; ends a list, a collection, an item and a property sequence
//   vaList (1)        values follow up to their vaNull
//   vaInt8 (2), vaInt16 (3), vaInt32 (4), vaInt64 (19)
//                     a signed integer of 1, 2, 4 or 8 bytes (the writer picks the smallest)
//   vaDouble (5)      an 8-byte IEEE double
//   vaString (6)      a 4-byte unsigned length, then that many UTF-8 bytes
//   vaFalse (8), vaTrue (9)
//   vaCollection (14) items follow up to a vaNull, each a vaList of properties ended by vaNull
//   vaCurrency (16)   an 8-byte integer, the value times 10000
// A property sequence is: name (4-byte length + bytes, no tag), one value; repeated; then vaNull.
// A component writes "Name" (string) and "Tag" (integer) when they are set, then the properties its
// DefineProperties declares.
//
// Reading a property nobody declares ("Property X does not exist"), or a read routine that fails
// ("Error reading X: <its message>"), goes to the reader's OnError handler first: when that marks it
// handled, the value is skipped and reading goes on; otherwise EReadError is raised with that text.
#include "platform/core/Exception.h"
#include "platform/core/Persistent.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TComponent;
class TReader;
class TStream;
class TStringList;
class TWriter;

enum class TValueType : std::uint8_t
{
    vaNull = 0,
    vaList = 1,
    vaInt8 = 2,
    vaInt16 = 3,
    vaInt32 = 4,
    vaDouble = 5,
    vaString = 6,
    vaFalse = 8,
    vaTrue = 9,
    vaCollection = 14,
    vaCurrency = 16,
    vaInt64 = 19,
};

using TReaderProc = std::function<void(TReader&)>;
using TWriterProc = std::function<void(TWriter&)>;

class TFiler
{
public:
    explicit TFiler(TStream& stream) : stream_(stream) {}
    TFiler(const TFiler&) = delete;
    TFiler& operator=(const TFiler&) = delete;
    virtual ~TFiler() = default;

    // Declares one property: the reader calls readData when the stream holds a property of this
    // name; the writer writes name and calls writeData when hasData is true.
    virtual void DefineProperty(const std::string& name, const TReaderProc& readData,
                                const TWriterProc& writeData, bool hasData) = 0;

    TStream& Stream() { return stream_; }

private:
    TStream& stream_;
};

// Declares the properties of a published sub-object as properties of its holder, each named
// "<name>.<property>" as the class library streams them ("hStmt.CursorType"). Sub-objects nest:
// a sub-object's own sub-object gets both prefixes.
void DefineSubProperties(TFiler& filer, const std::string& name, TPersistent& object);

// A text property, stored when it is not empty; set is given the text read.
void DefineTextProperty(TFiler& filer, const std::string& name, const std::string& value,
                        const std::function<void(const std::string&)>& set);
// A boolean property, stored when it differs from its default; set is given the value read.
void DefineBooleanProperty(TFiler& filer, const std::string& name, bool value, bool defaultValue,
                           const std::function<void(bool)>& set);
// A string-list property, stored as a list of its lines when it has any; set is given the lines read.
void DefineLinesProperty(TFiler& filer, const std::string& name, const TStringList& lines,
                         const std::function<void(const TStringList&)>& set);

// A class that must prepare the reader before its properties are read (for example to install an
// error handler for properties that earlier versions wrote) implements this; TReader::ReadComponent
// then calls ReadState instead of reading the properties itself. ReadState ends by calling
// reader.ReadComponentProperties(*this).
class TStateReader
{
public:
    virtual void ReadState(TReader& reader) = 0;

protected:
    ~TStateReader() = default;
};

class TWriter : public TFiler
{
public:
    using TFiler::TFiler;

    void DefineProperty(const std::string& name, const TReaderProc& readData, const TWriterProc& writeData,
                        bool hasData) override;

    void WriteListBegin();
    void WriteListEnd();
    void WriteString(const std::string& value);
    void WriteInteger(std::int64_t value);
    void WriteBoolean(bool value);
    void WriteFloat(double value);
    // Currency keeps four decimals: the value is stored as value * 10000 rounded to an integer.
    void WriteCurrency(double value);
    // Each item as a list of the properties its DefineProperties declares.
    void WriteCollection(const std::vector<TPersistent*>& items);

    // Every declared property of instance, then the end marker.
    void WriteProperties(TPersistent& instance);
    // Name and Tag when set, then WriteProperties (csWriting is set meanwhile).
    void WriteComponent(TComponent& component);

private:
    void WriteValue(TValueType type);
    void WriteName(const std::string& name);
};

class TReader : public TFiler
{
public:
    using TFiler::TFiler;
    // How deep properties (a property whose read routine reads properties of its own, as the items
    // of a collection) and skipped lists and collections may nest. Real streams stay far below it;
    // a deeper one is damaged or hostile and raises EReadError "Property values nested too deeply"
    // before it can exhaust the stack.
    static constexpr int kMaxNesting = 256;
    // (reader, message, handled): set handled to skip the failing property's value.
    using ErrorHandler = std::function<void(TReader&, const std::string&, bool&)>;

    void DefineProperty(const std::string& name, const TReaderProc& readData, const TWriterProc& writeData,
                        bool hasData) override;

    TValueType NextValue();
    TValueType ReadValue();
    bool EndOfList();
    void ReadListBegin();
    void ReadListEnd();
    std::string ReadString();
    // Any integer tag whose value fits 32 bits.
    std::int32_t ReadInteger();
    std::int64_t ReadInt64();
    bool ReadBoolean();
    // A float; integers are accepted too.
    double ReadFloat();
    double ReadCurrency();
    // Reads the items of a collection; add creates the next item and returns it to be filled.
    void ReadCollection(const std::function<TPersistent&()>& add);
    // Skips one value of any kind, lists and collections with everything inside them.
    void SkipValue();

    // Properties up to the end marker, each handed to the instance's DefineProperties.
    void ReadProperties(TPersistent& instance);
    // Name, Tag and the component's declared properties, up to the end marker.
    void ReadComponentProperties(TComponent& component);
    // The same with onError in place of the reader's own handler, which comes back afterwards (also
    // when reading fails): for a ReadState that passes over properties earlier versions wrote.
    void ReadComponentProperties(TComponent& component, ErrorHandler onError);
    // Marks the component csLoading | csReading, reads Name, Tag and its properties (through
    // TStateReader::ReadState when it implements it), then calls Loaded, which clears csLoading.
    void ReadComponent(TComponent& component);

    void SetOnError(ErrorHandler handler) { onError_ = std::move(handler); }
    const ErrorHandler& OnError() const { return onError_; }

    // Offers message to OnError; true when the handler marked it handled.
    bool Error(const std::string& message);

private:
    void ReadProperty(TPersistent& instance);
    std::string ReadName();
    [[noreturn]] void InvalidValue();
    template <class T> T ReadRaw();

    class Nesting;

    ErrorHandler onError_;
    int nesting_ = 0;
    std::string propertyName_;
    bool propertyFound_ = false;
};
