// The tagged property stream: values round-trip, nested objects and collections, unknown properties
// go to the error handler and are skipped whole.
#include "platform/core/Filer.h"
#include "platform/core/Component.h"
#include "platform/core/MemoryStream.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

class Item : public TPersistent
{
public:
    std::string name;
    std::int64_t size = 0;
    void DefineProperties(TFiler& f) override
    {
        f.DefineProperty(
            "Name", [this](TReader& r) { name = r.ReadString(); },
            [this](TWriter& w) { w.WriteString(name); }, true);
        f.DefineProperty(
            "Size", [this](TReader& r) { size = r.ReadInt64(); },
            [this](TWriter& w) { w.WriteInteger(size); }, size != 0);
    }
};

// One of everything, including a list property shaped like the library's "Target".
class Sample : public TComponent
{
public:
    using TComponent::TComponent;
    std::string text;
    std::int64_t number = 0;
    bool flag = false;
    double real = 0;
    double money = 0;
    std::vector<std::string> target;
    std::vector<std::unique_ptr<Item>> items;
    int loaded = 0;

    void Loaded() override
    {
        TComponent::Loaded();
        ++loaded;
    }
    void DefineProperties(TFiler& f) override
    {
        f.DefineProperty(
            "Text", [this](TReader& r) { text = r.ReadString(); },
            [this](TWriter& w) { w.WriteString(text); }, true);
        f.DefineProperty(
            "Number", [this](TReader& r) { number = r.ReadInt64(); },
            [this](TWriter& w) { w.WriteInteger(number); }, true);
        f.DefineProperty(
            "Flag", [this](TReader& r) { flag = r.ReadBoolean(); },
            [this](TWriter& w) { w.WriteBoolean(flag); }, true);
        f.DefineProperty(
            "Real", [this](TReader& r) { real = r.ReadFloat(); }, [this](TWriter& w) { w.WriteFloat(real); },
            true);
        f.DefineProperty(
            "Money", [this](TReader& r) { money = r.ReadCurrency(); },
            [this](TWriter& w) { w.WriteCurrency(money); }, true);
        f.DefineProperty(
            "Target",
            [this](TReader& r) {
                target.clear();
                r.ReadListBegin();
                while (!r.EndOfList())
                    target.push_back(r.ReadString());
                r.ReadListEnd();
            },
            [this](TWriter& w) {
                w.WriteListBegin();
                for (const auto& s : target)
                    w.WriteString(s);
                w.WriteListEnd();
            },
            true);
        f.DefineProperty(
            "Items",
            [this](TReader& r) {
                items.clear();
                r.ReadCollection([this]() -> TPersistent& {
                    items.push_back(std::make_unique<Item>());
                    return *items.back();
                });
            },
            [this](TWriter& w) {
                std::vector<TPersistent*> list;
                for (auto& i : items)
                    list.push_back(i.get());
                w.WriteCollection(list);
            },
            !items.empty());
    }
};

void Fill(Sample& s)
{
    s.SetName("Sample1");
    s.SetTag(-3);
    s.text = "居民 text";
    s.number = -5000000000LL;
    s.flag = true;
    s.real = -1.25e-7;
    s.money = 12.3456;
    s.target = {"OE5.02", "T", "A;B;", ""};
    s.items.push_back(std::make_unique<Item>());
    s.items.back()->name = "first";
    s.items.back()->size = 300;
    s.items.push_back(std::make_unique<Item>());
    s.items.back()->name = "";
}

} // namespace

TEST(Filer, EveryKindOfValueRoundTrips)
{
    Sample out;
    Fill(out);
    TMemoryStream stream;
    TWriter(stream).WriteComponent(out);

    stream.SetPosition(0);
    Sample in;
    TReader(stream).ReadComponent(in);
    EXPECT_EQ(in.Name(), "Sample1");
    EXPECT_EQ(in.Tag(), -3);
    EXPECT_EQ(in.text, out.text);
    EXPECT_EQ(in.number, out.number);
    EXPECT_TRUE(in.flag);
    EXPECT_EQ(in.real, out.real);
    EXPECT_EQ(in.money, 12.3456);
    EXPECT_EQ(in.target, out.target);
    ASSERT_EQ(in.items.size(), 2u);
    EXPECT_EQ(in.items[0]->name, "first");
    EXPECT_EQ(in.items[0]->size, 300);
    EXPECT_EQ(in.items[1]->size, 0);
    EXPECT_EQ(in.loaded, 1);
    EXPECT_FALSE(in.HasState(csLoading | csReading));
    EXPECT_EQ(stream.Position(), stream.Size());
}

TEST(Filer, IntegersUseTheSmallestTag)
{
    struct Case
    {
        std::int64_t value;
        TValueType tag;
    };
    const Case cases[] = {{0, TValueType::vaInt8},           {-128, TValueType::vaInt8},
                          {128, TValueType::vaInt16},        {-32769, TValueType::vaInt32},
                          {2147483647, TValueType::vaInt32}, {2147483648LL, TValueType::vaInt64}};
    for (const Case& k : cases) {
        TMemoryStream s;
        TWriter(s).WriteInteger(k.value);
        s.SetPosition(0);
        TReader r(s);
        EXPECT_EQ(r.NextValue(), k.tag) << k.value;
        EXPECT_EQ(r.ReadInt64(), k.value);
    }
    TMemoryStream s;
    TWriter(s).WriteInteger(2147483648LL);
    s.SetPosition(0);
    EXPECT_THROW(TReader(s).ReadInteger(), EReadError) << "too wide for 32 bits";
}

TEST(Filer, UnknownPropertyGoesToTheHandlerAndIsSkippedWhole)
{
    Sample out;
    Fill(out);
    TMemoryStream stream;
    TWriter(stream).WriteComponent(out);

    // A reader that knows only Text: every other property is unknown to it.
    class OnlyText : public TComponent
    {
    public:
        std::string text;
        void DefineProperties(TFiler& f) override
        {
            f.DefineProperty(
                "Text", [this](TReader& r) { text = r.ReadString(); }, {}, false);
        }
    };
    stream.SetPosition(0);
    OnlyText partial;
    TReader reader(stream);
    std::vector<std::string> messages;
    reader.SetOnError([&](TReader&, const std::string& m, bool& handled) {
        messages.push_back(m);
        handled = true;
    });
    reader.ReadComponent(partial);
    EXPECT_EQ(partial.text, out.text);
    EXPECT_EQ(messages.size(), 6u);
    EXPECT_EQ(messages.front(), "Property Number does not exist");
    EXPECT_EQ(stream.Position(), stream.Size()) << "lists and collections were skipped whole";

    // Unhandled: EReadError and the component is not left loading.
    stream.SetPosition(0);
    OnlyText strict;
    EXPECT_THROW(TReader(stream).ReadComponent(strict), EReadError);
    EXPECT_FALSE(strict.HasState(csLoading));
}

// A component's own handler (a ReadState passing over what earlier versions wrote) stands in for the
// reader's only while that component's properties are read, whether reading ends well or not.
TEST(Filer, AComponentsOwnHandlerStandsInOnlyWhileItReads)
{
    Sample out;
    Fill(out);
    TMemoryStream stream;
    TWriter(stream).WriteComponent(out);
    stream.SetPosition(0);
    TReader reader(stream);
    int toReadersOwn = 0;
    reader.SetOnError([&](TReader&, const std::string&, bool&) { ++toReadersOwn; });

    // A plain component knows Name and Tag only: every property of the sample goes to its handler.
    TComponent lenient;
    std::vector<std::string> toOwn;
    reader.ReadComponentProperties(lenient, [&](TReader&, const std::string& m, bool& handled) {
        toOwn.push_back(m);
        handled = true;
    });
    EXPECT_EQ(lenient.Name(), "Sample1");
    EXPECT_EQ(toOwn.size(), 7u);
    EXPECT_EQ(toReadersOwn, 0);
    EXPECT_FALSE(reader.Error("after")) << "the reader's own handler is back";
    EXPECT_EQ(toReadersOwn, 1);

    stream.SetPosition(0);
    TComponent strict;
    EXPECT_THROW(reader.ReadComponentProperties(strict, [](TReader&, const std::string&, bool&) {}),
                 EReadError);
    EXPECT_FALSE(reader.Error("after a failure"));
    EXPECT_EQ(toReadersOwn, 2) << "the reader's own handler is back after a failure too";
}

TEST(Filer, WrongValueKindIsAReadingError)
{
    TMemoryStream s;
    {
        Item wrong;
        wrong.name = "x";
        TWriter(s).WriteProperties(wrong);
    }
    // Read it with a class that expects Name to be an integer.
    class Strict : public TPersistent
    {
    public:
        void DefineProperties(TFiler& f) override
        {
            f.DefineProperty(
                "Name", [](TReader& r) { r.ReadInteger(); }, {}, false);
        }
    } strict;
    s.SetPosition(0);
    TReader r(s);
    std::string seen;
    r.SetOnError([&](TReader&, const std::string& m, bool& handled) {
        seen = m;
        handled = true;
    });
    r.ReadProperties(strict);
    EXPECT_EQ(seen, "Error reading Name: Invalid property value");
    EXPECT_EQ(s.Position(), s.Size());
}

TEST(Filer, DamagedStreamsRaiseInsteadOfOverreading)
{
    const std::uint8_t cases[][8] = {
        {6, 0xFF, 0xFF, 0xFF, 0x7F, 'a', 0, 0}, // string length far beyond the data
        {1, 6, 3, 0, 0, 0, 'a', 0},             // list whose string is cut short
        {77, 0, 0, 0, 0, 0, 0, 0},              // unknown tag
    };
    for (const auto& bytes : cases) {
        TMemoryStream s;
        s.Write(bytes, sizeof bytes);
        s.SetPosition(0);
        EXPECT_THROW(TReader(s).SkipValue(), EStreamError) << int(bytes[0]);
    }
}

namespace {

// A tree: each node's children are a collection of nodes, so the stream nests as deep as the tree.
class Node : public TPersistent
{
public:
    std::vector<std::unique_ptr<Node>> children;
    void DefineProperties(TFiler& f) override
    {
        f.DefineProperty(
            "Children",
            [this](TReader& r) {
                r.ReadCollection([this]() -> TPersistent& {
                    children.push_back(std::make_unique<Node>());
                    return *children.back();
                });
            },
            [this](TWriter& w) {
                std::vector<TPersistent*> list;
                for (auto& c : children)
                    list.push_back(c.get());
                w.WriteCollection(list);
            },
            !children.empty());
    }
    int Depth() const { return children.empty() ? 0 : 1 + children.front()->Depth(); }
};

void WriteChain(TStream& s, int depth)
{
    Node root;
    Node* at = &root;
    for (int i = 0; i < depth; ++i) {
        at->children.push_back(std::make_unique<Node>());
        at = at->children.back().get();
    }
    TWriter(s).WriteProperties(root);
}

void PutBytes(TStream& s, std::size_t count, std::uint8_t byte)
{
    const std::vector<std::uint8_t> bytes(count, byte);
    s.Write(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}

// The stream WriteChain writes, put together byte by byte: a chain too deep for the writer's own
// recursion.
void PutChain(TStream& s, int depth)
{
    const std::uint8_t level[] = {8,
                                  0,
                                  0,
                                  0,
                                  'C',
                                  'h',
                                  'i',
                                  'l',
                                  'd',
                                  'r',
                                  'e',
                                  'n',
                                  std::uint8_t(TValueType::vaCollection),
                                  std::uint8_t(TValueType::vaList)};
    for (int i = 0; i < depth; ++i)
        s.Write(level, sizeof level);
    // Each item's and each collection's end, then the end of the root's properties.
    PutBytes(s, 2 * static_cast<std::size_t>(depth) + 1, std::uint8_t(TValueType::vaNull));
}

} // namespace

// A damaged or hostile stream may nest lists and collections without end; reading it must fail with
// a stream error, not run out of stack.
TEST(Filer, NestingBeyondTheLimitIsAReadErrorNotAStackOverflow)
{
    constexpr int kDeep = 300000;
    const auto expectTooDeep = [](const std::function<void()>& read, const char* what) {
        try {
            read();
            ADD_FAILURE() << what << ": read without error";
        } catch (const EReadError& e) {
            EXPECT_TRUE(e.Message().ends_with("nested too deeply")) << what << ": " << e.Message();
        }
    };

    TMemoryStream lists;
    PutBytes(lists, kDeep, std::uint8_t(TValueType::vaList));
    PutBytes(lists, kDeep, std::uint8_t(TValueType::vaNull));
    lists.SetPosition(0);
    expectTooDeep([&] { TReader(lists).SkipValue(); }, "skipped lists");

    // Collections whose items hold a collection, skipped as the value of an unknown property.
    TMemoryStream collections;
    PutChain(collections, kDeep);
    collections.SetPosition(0);
    expectTooDeep(
        [&] {
            TReader reader(collections);
            reader.SetOnError([](TReader&, const std::string&, bool& handled) { handled = true; });
            Item unrelated;
            reader.ReadProperties(unrelated);
        },
        "skipped collections");

    // The same read into the tree: each level's read routine reads the next collection.
    collections.SetPosition(0);
    expectTooDeep(
        [&] {
            Node root;
            TReader(collections).ReadProperties(root);
        },
        "read collections");
    collections.SetPosition(0);
    expectTooDeep(
        [&] {
            TReader reader(collections);
            reader.SetOnError([](TReader&, const std::string&, bool& handled) { handled = true; });
            Node root;
            reader.ReadProperties(root);
        },
        "read collections, failures handled");
}

// The limit counts each list or collection skipped and each property read as one level: a tree
// kMaxNesting deep has its deepest node's collection on level kMaxNesting.
TEST(Filer, NestingUpToTheLimitReadsOneLevelMoreDoesNot)
{
    TMemoryStream written, built;
    WriteChain(written, 3);
    PutChain(built, 3);
    ASSERT_EQ(std::vector<std::uint8_t>(written.Memory(), written.Memory() + written.Size()),
              std::vector<std::uint8_t>(built.Memory(), built.Memory() + built.Size()));

    for (const int depth : {TReader::kMaxNesting, TReader::kMaxNesting + 1}) {
        const bool fits = depth <= TReader::kMaxNesting;
        TMemoryStream lists;
        PutBytes(lists, static_cast<std::size_t>(depth), std::uint8_t(TValueType::vaList));
        PutBytes(lists, static_cast<std::size_t>(depth), std::uint8_t(TValueType::vaNull));
        lists.SetPosition(0);
        if (fits) {
            TReader(lists).SkipValue();
            EXPECT_EQ(lists.Position(), lists.Size());
        } else {
            EXPECT_THROW(TReader(lists).SkipValue(), EReadError) << depth;
        }

        TMemoryStream tree;
        PutChain(tree, depth);
        tree.SetPosition(0);
        Node root;
        if (fits) {
            TReader(tree).ReadProperties(root);
            EXPECT_EQ(root.Depth(), depth);
            EXPECT_EQ(tree.Position(), tree.Size());
        } else {
            EXPECT_THROW(TReader(tree).ReadProperties(root), EReadError) << depth;
        }
    }
}
