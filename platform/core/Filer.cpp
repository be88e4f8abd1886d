#include "platform/core/Filer.h"

#include "platform/core/Component.h"
#include "platform/core/Stream.h"
#include "platform/core/StringList.h"
#include "platform/core/StringUtils.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

static_assert(std::endian::native == std::endian::little, "the stream form is little-endian");

namespace {

// No single value in a form resource comes near this; a larger length means a damaged stream, and
// refusing it keeps a corrupt length from turning into a huge allocation.
constexpr std::uint32_t kMaxStringLength = 64u * 1024u * 1024u;

template <class T> void WriteRaw(TStream& stream, T value)
{
    stream.WriteBuffer(&value, sizeof value);
}

} // namespace

// ---- Sub-objects ---------------------------------------------------------------------------------

namespace {

// Hands each property the sub-object declares on to the holder's filer under the prefixed name.
class TPrefixFiler : public TFiler
{
public:
    TPrefixFiler(TFiler& outer, std::string prefix)
        : TFiler(outer.Stream()), outer_(outer), prefix_(std::move(prefix))
    {
    }
    void DefineProperty(const std::string& name, const TReaderProc& readData, const TWriterProc& writeData,
                        bool hasData) override
    {
        outer_.DefineProperty(prefix_ + name, readData, writeData, hasData);
    }

private:
    TFiler& outer_;
    std::string prefix_;
};

} // namespace

void DefineSubProperties(TFiler& filer, const std::string& name, TPersistent& object)
{
    TPrefixFiler prefixed(filer, name + ".");
    object.DefineProperties(prefixed);
}

void DefineTextProperty(TFiler& filer, const std::string& name, const std::string& value,
                        const std::function<void(const std::string&)>& set)
{
    filer.DefineProperty(
        name, [&set](TReader& r) { set(r.ReadString()); }, [&value](TWriter& w) { w.WriteString(value); },
        !value.empty());
}

void DefineBooleanProperty(TFiler& filer, const std::string& name, bool value, bool defaultValue,
                           const std::function<void(bool)>& set)
{
    filer.DefineProperty(
        name, [&set](TReader& r) { set(r.ReadBoolean()); }, [value](TWriter& w) { w.WriteBoolean(value); },
        value != defaultValue);
}

void DefineLinesProperty(TFiler& filer, const std::string& name, const TStringList& lines,
                         const std::function<void(const TStringList&)>& set)
{
    filer.DefineProperty(
        name,
        [&set](TReader& r) {
            TStringList read;
            r.ReadListBegin();
            while (!r.EndOfList())
                read.Add(r.ReadString());
            r.ReadListEnd();
            set(read);
        },
        [&lines](TWriter& w) {
            w.WriteListBegin();
            for (const std::string& line : lines.Lines())
                w.WriteString(line);
            w.WriteListEnd();
        },
        lines.Count() > 0);
}

// ---- TWriter ------------------------------------------------------------------------------------

void TWriter::WriteValue(TValueType type)
{
    WriteRaw(Stream(), static_cast<std::uint8_t>(type));
}

void TWriter::WriteName(const std::string& name)
{
    WriteRaw(Stream(), static_cast<std::uint32_t>(name.size()));
    Stream().WriteBuffer(name.data(), static_cast<std::int64_t>(name.size()));
}

void TWriter::DefineProperty(const std::string& name, const TReaderProc& readData,
                             const TWriterProc& writeData, bool hasData)
{
    (void)readData;
    if (!hasData || !writeData)
        return;
    WriteName(name);
    writeData(*this);
}

void TWriter::WriteListBegin()
{
    WriteValue(TValueType::vaList);
}
void TWriter::WriteListEnd()
{
    WriteValue(TValueType::vaNull);
}

void TWriter::WriteString(const std::string& value)
{
    WriteValue(TValueType::vaString);
    WriteName(value);
}

void TWriter::WriteInteger(std::int64_t value)
{
    if (value >= std::numeric_limits<std::int8_t>::min() &&
        value <= std::numeric_limits<std::int8_t>::max()) {
        WriteValue(TValueType::vaInt8);
        WriteRaw(Stream(), static_cast<std::int8_t>(value));
    } else if (value >= std::numeric_limits<std::int16_t>::min() &&
               value <= std::numeric_limits<std::int16_t>::max()) {
        WriteValue(TValueType::vaInt16);
        WriteRaw(Stream(), static_cast<std::int16_t>(value));
    } else if (value >= std::numeric_limits<std::int32_t>::min() &&
               value <= std::numeric_limits<std::int32_t>::max()) {
        WriteValue(TValueType::vaInt32);
        WriteRaw(Stream(), static_cast<std::int32_t>(value));
    } else {
        WriteValue(TValueType::vaInt64);
        WriteRaw(Stream(), value);
    }
}

void TWriter::WriteBoolean(bool value)
{
    WriteValue(value ? TValueType::vaTrue : TValueType::vaFalse);
}

void TWriter::WriteFloat(double value)
{
    WriteValue(TValueType::vaDouble);
    WriteRaw(Stream(), value);
}

void TWriter::WriteCurrency(double value)
{
    const double scaled = std::nearbyint(value * 10000.0);
    if (!(std::fabs(scaled) < 9.2e18))
        throw EWriteError("Currency value out of range");
    WriteValue(TValueType::vaCurrency);
    WriteRaw(Stream(), static_cast<std::int64_t>(scaled));
}

void TWriter::WriteCollection(const std::vector<TPersistent*>& items)
{
    WriteValue(TValueType::vaCollection);
    for (TPersistent* item : items) {
        WriteListBegin();
        item->DefineProperties(*this);
        WriteListEnd();
    }
    WriteListEnd();
}

void TWriter::WriteProperties(TPersistent& instance)
{
    instance.DefineProperties(*this);
    WriteListEnd();
}

void TWriter::WriteComponent(TComponent& component)
{
    component.IncludeState(csWriting);
    try {
        if (!component.Name().empty()) {
            WriteName("Name");
            WriteString(component.Name());
        }
        if (component.Tag() != 0) {
            WriteName("Tag");
            WriteInteger(component.Tag());
        }
        WriteProperties(component);
    } catch (...) {
        component.ExcludeState(csWriting);
        throw;
    }
    component.ExcludeState(csWriting);
}

// ---- TReader ------------------------------------------------------------------------------------

template <class T> T TReader::ReadRaw()
{
    T value{};
    Stream().ReadBuffer(&value, sizeof value);
    return value;
}

// One level of nesting, counted for as long as it lives.
class TReader::Nesting
{
public:
    explicit Nesting(TReader& reader) : reader_(reader)
    {
        if (reader_.nesting_ >= kMaxNesting)
            throw EReadError("Property values nested too deeply");
        ++reader_.nesting_;
    }
    ~Nesting() { --reader_.nesting_; }
    Nesting(const Nesting&) = delete;
    Nesting& operator=(const Nesting&) = delete;

private:
    TReader& reader_;
};

void TReader::InvalidValue()
{
    throw EReadError("Invalid property value");
}

bool TReader::Error(const std::string& message)
{
    bool handled = false;
    if (onError_)
        onError_(*this, message, handled);
    return handled;
}

TValueType TReader::ReadValue()
{
    return static_cast<TValueType>(ReadRaw<std::uint8_t>());
}

TValueType TReader::NextValue()
{
    const TValueType type = ReadValue();
    Stream().Seek(-1, TSeekOrigin::soCurrent);
    return type;
}

bool TReader::EndOfList()
{
    return NextValue() == TValueType::vaNull;
}

void TReader::ReadListBegin()
{
    if (ReadValue() != TValueType::vaList)
        InvalidValue();
}

void TReader::ReadListEnd()
{
    if (ReadValue() != TValueType::vaNull)
        InvalidValue();
}

std::string TReader::ReadName()
{
    const auto length = ReadRaw<std::uint32_t>();
    if (length > kMaxStringLength || length > Stream().Size() - Stream().Position())
        throw EReadError("Stream read error");
    std::string text(length, '\0');
    Stream().ReadBuffer(text.data(), length);
    return text;
}

std::string TReader::ReadString()
{
    if (ReadValue() != TValueType::vaString)
        InvalidValue();
    return ReadName();
}

std::int64_t TReader::ReadInt64()
{
    switch (ReadValue()) {
    case TValueType::vaInt8:
        return ReadRaw<std::int8_t>();
    case TValueType::vaInt16:
        return ReadRaw<std::int16_t>();
    case TValueType::vaInt32:
        return ReadRaw<std::int32_t>();
    case TValueType::vaInt64:
        return ReadRaw<std::int64_t>();
    default:
        InvalidValue();
    }
}

std::int32_t TReader::ReadInteger()
{
    const std::int64_t value = ReadInt64();
    if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
        InvalidValue();
    return static_cast<std::int32_t>(value);
}

bool TReader::ReadBoolean()
{
    switch (ReadValue()) {
    case TValueType::vaTrue:
        return true;
    case TValueType::vaFalse:
        return false;
    default:
        InvalidValue();
    }
}

double TReader::ReadFloat()
{
    switch (NextValue()) {
    case TValueType::vaDouble:
        ReadValue();
        return ReadRaw<double>();
    case TValueType::vaInt8:
    case TValueType::vaInt16:
    case TValueType::vaInt32:
    case TValueType::vaInt64:
        return static_cast<double>(ReadInt64());
    default:
        InvalidValue();
    }
}

double TReader::ReadCurrency()
{
    if (ReadValue() != TValueType::vaCurrency)
        InvalidValue();
    return static_cast<double>(ReadRaw<std::int64_t>()) / 10000.0;
}

void TReader::ReadCollection(const std::function<TPersistent&()>& add)
{
    if (ReadValue() != TValueType::vaCollection)
        InvalidValue();
    while (!EndOfList()) {
        ReadListBegin();
        TPersistent& item = add();
        while (!EndOfList())
            ReadProperty(item);
        ReadListEnd();
    }
    ReadListEnd();
}

void TReader::SkipValue()
{
    switch (ReadValue()) {
    case TValueType::vaNull:
    case TValueType::vaFalse:
    case TValueType::vaTrue:
        return;
    case TValueType::vaInt8:
        Stream().Seek(1, TSeekOrigin::soCurrent);
        return;
    case TValueType::vaInt16:
        Stream().Seek(2, TSeekOrigin::soCurrent);
        return;
    case TValueType::vaInt32:
        Stream().Seek(4, TSeekOrigin::soCurrent);
        return;
    case TValueType::vaInt64:
    case TValueType::vaDouble:
    case TValueType::vaCurrency:
        Stream().Seek(8, TSeekOrigin::soCurrent);
        return;
    case TValueType::vaString:
        ReadName();
        return;
    case TValueType::vaList: {
        const Nesting level(*this);
        while (!EndOfList())
            SkipValue();
        ReadListEnd();
        return;
    }
    case TValueType::vaCollection: {
        const Nesting level(*this);
        while (!EndOfList()) {
            ReadListBegin();
            while (!EndOfList()) {
                ReadName();
                SkipValue();
            }
            ReadListEnd();
        }
        ReadListEnd();
        return;
    }
    }
    InvalidValue();
}

void TReader::DefineProperty(const std::string& name, const TReaderProc& readData,
                             const TWriterProc& writeData, bool hasData)
{
    (void)writeData;
    (void)hasData;
    if (propertyFound_ || !SameText(name, propertyName_))
        return;
    propertyFound_ = true;
    if (readData)
        readData(*this);
    else
        SkipValue();
}

void TReader::ReadProperty(TPersistent& instance)
{
    const Nesting level(*this);
    const std::string name = ReadName();
    const std::int64_t valueStart = Stream().Position();
    // Nested objects read their own properties inside a read routine; keep the outer one's state.
    const std::string outerName = std::move(propertyName_);
    const bool outerFound = propertyFound_;
    propertyName_ = name;
    propertyFound_ = false;
    std::string failure;
    try {
        instance.DefineProperties(*this);
    } catch (const Exception& e) {
        failure = "Error reading " + name + ": " + e.Message();
    }
    const bool found = propertyFound_;
    propertyName_ = outerName;
    propertyFound_ = outerFound;
    if (found && failure.empty())
        return;
    if (failure.empty())
        failure = "Property " + name + " does not exist";
    if (!Error(failure))
        throw EReadError(failure);
    // Handled: the value is passed over whole, however far its read routine got.
    Stream().SetPosition(valueStart);
    SkipValue();
}

void TReader::ReadProperties(TPersistent& instance)
{
    while (!EndOfList())
        ReadProperty(instance);
    ReadListEnd();
}

namespace {

// Name and Tag belong to every component; the rest is the component's own.
class TComponentProperties : public TPersistent
{
public:
    explicit TComponentProperties(TComponent& component) : component_(component) {}
    void DefineProperties(TFiler& filer) override
    {
        filer.DefineProperty(
            "Name", [this](TReader& r) { component_.SetName(r.ReadString()); }, {}, false);
        filer.DefineProperty(
            "Tag", [this](TReader& r) { component_.SetTag(static_cast<long>(r.ReadInt64())); }, {}, false);
        component_.DefineProperties(filer);
    }

private:
    TComponent& component_;
};

} // namespace

void TReader::ReadComponentProperties(TComponent& component)
{
    TComponentProperties properties(component);
    ReadProperties(properties);
}

void TReader::ReadComponentProperties(TComponent& component, ErrorHandler onError)
{
    ErrorHandler previous = std::exchange(onError_, std::move(onError));
    try {
        ReadComponentProperties(component);
    } catch (...) {
        onError_ = std::move(previous);
        throw;
    }
    onError_ = std::move(previous);
}

void TReader::ReadComponent(TComponent& component)
{
    component.IncludeState(csLoading | csReading);
    try {
        if (auto* stateReader = dynamic_cast<TStateReader*>(&component)) {
            stateReader->ReadState(*this);
        } else {
            ReadComponentProperties(component);
        }
    } catch (...) {
        component.ExcludeState(csLoading | csReading);
        throw;
    }
    component.ExcludeState(csReading);
    component.Loaded();
}
