// libFuzzer target for the property-stream reader. The first input byte picks how the rest is read:
//   bit 0  failing properties go to a handler that marks them handled (skipped), else they raise
//   bit 1  read as a component (Name, Tag, csLoading) rather than as a plain property sequence
//   bit 2  only skip values, one after another, to the end of the stream
// The model declares a property of every kind: scalars, a list, string lines, a collection, a
// sub-object and a tree whose nodes hold collections of nodes. Reading may fail with a stream error,
// nothing else; a component is never left loading; and what was read writes back to a stream that
// reads to the same model and writes the same bytes again.
#include "platform/core/Component.h"
#include "platform/core/Exception.h"
#include "platform/core/Filer.h"
#include "platform/core/MemoryStream.h"
#include "platform/core/StringList.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

class Leaf : public TPersistent
{
public:
    void DefineProperties(TFiler& f) override
    {
        DefineTextProperty(f, "Name", name_, [this](const std::string& v) { name_ = v; });
        f.DefineProperty(
            "Size", [this](TReader& r) { size_ = r.ReadInt64(); },
            [this](TWriter& w) { w.WriteInteger(size_); }, size_ != 0);
        f.DefineProperty(
            "Price", [this](TReader& r) { price_ = r.ReadCurrency(); },
            [this](TWriter& w) { w.WriteCurrency(price_); }, price_ != 0);
    }

private:
    std::string name_;
    std::int64_t size_ = 0;
    double price_ = 0;
};

class Options : public TPersistent
{
public:
    void DefineProperties(TFiler& f) override
    {
        DefineBooleanProperty(f, "Enabled", enabled_, true, [this](bool v) { enabled_ = v; });
        DefineTextProperty(f, "Caption", caption_, [this](const std::string& v) { caption_ = v; });
    }

private:
    bool enabled_ = true;
    std::string caption_;
};

template <class Item> class Collection
{
public:
    void Define(TFiler& f, const std::string& name)
    {
        f.DefineProperty(
            name,
            [this](TReader& r) {
                r.ReadCollection([this]() -> TPersistent& {
                    items_.push_back(std::make_unique<Item>());
                    return *items_.back();
                });
            },
            [this](TWriter& w) {
                std::vector<TPersistent*> list;
                for (auto& item : items_)
                    list.push_back(item.get());
                w.WriteCollection(list);
            },
            !items_.empty());
    }

private:
    std::vector<std::unique_ptr<Item>> items_;
};

class Node : public TPersistent
{
public:
    void DefineProperties(TFiler& f) override
    {
        DefineTextProperty(f, "Label", label_, [this](const std::string& v) { label_ = v; });
        children_.Define(f, "Children");
    }

private:
    std::string label_;
    Collection<Node> children_;
};

class Model : public TComponent
{
public:
    void DefineProperties(TFiler& f) override
    {
        DefineTextProperty(f, "Text", text_, [this](const std::string& v) { text_ = v; });
        f.DefineProperty(
            "Count", [this](TReader& r) { count_ = r.ReadInteger(); },
            [this](TWriter& w) { w.WriteInteger(count_); }, count_ != 0);
        DefineBooleanProperty(f, "Flag", flag_, false, [this](bool v) { flag_ = v; });
        f.DefineProperty(
            "Ratio", [this](TReader& r) { ratio_ = r.ReadFloat(); },
            [this](TWriter& w) { w.WriteFloat(ratio_); }, true);
        DefineLinesProperty(f, "Lines", lines_, [this](const TStringList& v) { lines_ = v; });
        f.DefineProperty(
            "Values",
            [this](TReader& r) {
                values_.clear();
                r.ReadListBegin();
                while (!r.EndOfList())
                    values_.push_back(r.ReadInt64());
                r.ReadListEnd();
            },
            [this](TWriter& w) {
                w.WriteListBegin();
                for (const std::int64_t v : values_)
                    w.WriteInteger(v);
                w.WriteListEnd();
            },
            !values_.empty());
        leaves_.Define(f, "Leaves");
        DefineSubProperties(f, "Options", options_);
        tree_.Define(f, "Tree");
    }

private:
    std::string text_;
    std::int32_t count_ = 0;
    bool flag_ = false;
    double ratio_ = 0;
    TStringList lines_;
    std::vector<std::int64_t> values_;
    Collection<Leaf> leaves_;
    Options options_;
    Collection<Node> tree_;
};

std::vector<std::uint8_t> Bytes(const TMemoryStream& s)
{
    return {s.Memory(), s.Memory() + s.Size()};
}

// Reads stream into model as the options say; false when reading failed with a stream error.
bool Read(TMemoryStream& stream, Model& model, std::uint8_t options)
{
    TReader reader(stream);
    if (options & 1)
        reader.SetOnError([](TReader&, const std::string&, bool& handled) { handled = true; });
    try {
        if (options & 2)
            reader.ReadComponent(model);
        else
            reader.ReadProperties(model);
    } catch (const EStreamError&) {
        if (model.HasState(csLoading | csReading))
            std::abort(); // a failed read leaves the component as it was before
        return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::uint8_t options = data[0];
    TMemoryStream stream;
    stream.Write(data + 1, static_cast<std::int64_t>(size - 1));
    stream.SetPosition(0);

    if (options & 4) {
        TReader reader(stream);
        try {
            while (stream.Position() < stream.Size())
                reader.SkipValue();
        } catch (const EStreamError&) {
        }
        return 0;
    }

    Model first;
    if (!Read(stream, first, options))
        return 0;

    TMemoryStream written;
    try {
        TWriter(written).WriteComponent(first);
    } catch (const EWriteError&) {
        return 0; // a currency too large to store again: the writer refuses it
    }
    written.SetPosition(0);
    Model second;
    if (!Read(written, second, 2))
        std::abort(); // what the writer wrote does not read
    TMemoryStream again;
    TWriter(again).WriteComponent(second);
    if (Bytes(written) != Bytes(again))
        std::abort(); // reading and writing do not agree
    return 0;
}
