// The main window's skin, resources/skin.xml, as the markup parser reads it:
// the window attributes, fonts and Button default, and every control the
// window and its look depend on, under the right parent.
#include "SkinTree.h"

#include "TestEnv.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

using skintest::ImagePairs;
using skintest::SkinNode;
using skintest::SkinTree;

namespace {

using Attributes = std::map<std::wstring, std::wstring>;

struct ExpectedControl {
    const wchar_t* id;  // the name, or a "(role)" for a control without one
    const wchar_t* element;
    const wchar_t* parent;  // id of the nearest listed ancestor; null for the outermost
    Attributes attributes;  // image attributes: the pairs that must be among the string's
};

const std::vector<ExpectedControl>& ExpectedControls() {
    static const std::vector<ExpectedControl> kControls = {
        {L"main_window_layout", L"VerticalLayout", nullptr, {{L"bkcolor", L"#FF2F3136"}}},
        {L"background_layout", L"VerticalLayout", L"main_window_layout",
         {{L"height", L"412"}, {L"bkimage", L"res='123' restype='png'"}}},
        {L"(header)", L"HorizontalLayout", L"background_layout",
         {{L"height", L"80"}, {L"bkimage", L"res='122' restype='png'"}}},
        {L"(logo)", L"Control", L"(header)",
         {{L"bkimage", L"res='128' restype='png'"}, {L"width", L"86"}, {L"height", L"20"}}},
        {L"(title)", L"Label", L"(header)",
         {{L"text", L"专属下载器"}, {L"font", L"1"}, {L"textcolor", L"#FFFFFFFF"}, {L"autocalcwidth", L"true"}}},
        {L"btn_wnd_min", L"Button", L"(header)",
         {{L"width", L"30"},
          {L"height", L"30"},
          {L"normalimage", L"res='124' restype='png'"},
          {L"hotimage", L"res='125' restype='png'"},
          {L"pushedimage", L"res='125' restype='png'"}}},
        {L"btn_wnd_close", L"Button", L"(header)",
         {{L"width", L"30"},
          {L"height", L"30"},
          {L"normalimage", L"res='120' restype='png'"},
          {L"hotimage", L"res='121' restype='png'"},
          {L"pushedimage", L"res='121' restype='png'"}}},
        {L"progressLayout", L"VerticalLayout", L"main_window_layout", {{L"inset", L"16,20,16,20"}}},
        {L"progress", L"Progress", L"progressLayout",
         {{L"height", L"14"},
          {L"bkimage", L"res='126' restype='png' corner='7,0,7,0'"},
          {L"foreimage", L"res='127' restype='png' corner='7,0,7,0'"},
          {L"min", L"0"},
          {L"max", L"100"},
          {L"value", L"0"},
          {L"hor", L"true"},
          {L"isstretchfore", L"true"}}},
        {L"size_layout", L"HorizontalLayout", L"progressLayout", {{L"width", L"180"}}},
        {L"current_size", L"Label", L"size_layout",
         {{L"text", L"0M"}, {L"font", L"2"}, {L"textcolor", L"#FF9F9F9F"}, {L"align", L"right"}}},
        {L"(separator)", L"Label", L"size_layout", {{L"text", L"/"}, {L"width", L"2"}}},
        {L"total_size", L"Label", L"size_layout", {{L"text", L"0M"}, {L"font", L"2"}, {L"align", L"left"}}},
        {L"speed_layout", L"HorizontalLayout", L"progressLayout", {{L"width", L"68"}, {L"padding", L"28,0,0,0"}}},
        {L"current_speed", L"Label", L"speed_layout", {{L"text", L"0KB/s"}, {L"font", L"2"}}},
        {L"current_progress_layout", L"HorizontalLayout", L"progressLayout", {{L"width", L"140"}}},
        {L"current_progress_text", L"Label", L"current_progress_layout",
         {{L"text", L"正在下载:"}, {L"font", L"2"}, {L"textcolor", L"#FF9F9F9F"}}},
        {L"current_progress_value", L"Label", L"current_progress_layout",
         {{L"text", L"0%"}, {L"font", L"2"}, {L"textcolor", L"#FFD8D8D9"}}},
    };
    return kControls;
}

bool IsImageAttribute(const std::wstring& name) {
    return name.size() >= 5 && name.compare(name.size() - 5, 5, L"image") == 0;
}

// The control's attributes hold every expected one; an image string must be
// well formed throughout and hold the expected pairs.
void ExpectAttributes(const SkinNode& node, const ExpectedControl& expected) {
    for (const auto& [name, value] : expected.attributes) {
        const std::wstring* actual = node.Attribute(name);
        ASSERT_NE(nullptr, actual) << expected.id << " lacks " << name;
        if (!IsImageAttribute(name)) {
            EXPECT_EQ(value, *actual) << expected.id << " " << name;
            continue;
        }
        std::map<std::wstring, std::wstring> want, got;
        ASSERT_TRUE(ImagePairs(value, want));
        ASSERT_TRUE(ImagePairs(*actual, got)) << expected.id << " " << name << ": malformed image string";
        for (const auto& [key, text] : want) {
            EXPECT_EQ(text, got[key]) << expected.id << " " << name << " " << key;
        }
    }
}

class SkinMarkupTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string bytes = testenv::ReadFileBytes(testenv::SourceDir() + L"\\resources\\skin.xml");
        ASSERT_FALSE(bytes.empty());
        ASSERT_TRUE(tree_.Load(bytes)) << tree_.Error();
    }

    // The node of each expected control, found below its parent's node.
    std::map<std::wstring, int> Resolve() {
        std::map<std::wstring, int> found;
        for (const ExpectedControl& expected : ExpectedControls()) {
            const int scope = expected.parent == nullptr ? tree_.Root() : found.at(expected.parent);
            std::vector<int> matches;
            for (int index : tree_.Descendants(scope)) {
                const SkinNode& node = tree_.Node(index);
                const std::wstring* name = node.Attribute(L"name");
                const bool named = expected.id[0] != L'(';
                if (node.element != expected.element || (named && (name == nullptr || *name != expected.id))) {
                    continue;
                }
                bool fits = true;
                for (const auto& [key, value] : expected.attributes) {
                    const std::wstring* actual = node.Attribute(key);
                    fits = fits && actual != nullptr && (IsImageAttribute(key) || *actual == value);
                }
                if (fits) {
                    matches.push_back(index);
                }
            }
            EXPECT_EQ(1u, matches.size()) << expected.id << " (" << expected.element << ")";
            found[expected.id] = matches.empty() ? scope : matches.front();
        }
        return found;
    }

    SkinTree tree_;
};

}  // namespace

TEST_F(SkinMarkupTest, WindowElementHasExactlyTheWindowAttributes) {
    const SkinNode& window = tree_.Node(tree_.Root());
    EXPECT_EQ(L"Window", window.element);
    const std::vector<std::pair<std::wstring, std::wstring>> expected = {
        {L"size", L"720,496"}, {L"mininfo", L"720,496"}, {L"caption", L"0,0,0,50"}, {L"sizebox", L"4,4,4,4"}};
    EXPECT_EQ(expected, window.attributes);
}

TEST_F(SkinMarkupTest, FontsAndButtonDefaultComeFirst) {
    std::vector<std::wstring> windowLevel;
    std::vector<std::vector<std::pair<std::wstring, std::wstring>>> fonts;
    const SkinNode* buttonDefault = nullptr;
    for (int child : tree_.Node(tree_.Root()).children) {
        const SkinNode& node = tree_.Node(child);
        windowLevel.push_back(node.element);
        if (node.element == L"Font") {
            fonts.push_back(node.attributes);
        } else if (node.element == L"Default") {
            buttonDefault = &node;
        }
    }
    EXPECT_EQ((std::vector<std::wstring>{L"Font", L"Font", L"Font", L"Default", L"VerticalLayout"}), windowLevel);
    using Pairs = std::vector<std::pair<std::wstring, std::wstring>>;
    EXPECT_EQ((std::vector<Pairs>{
                  {{L"id", L"0"}, {L"name", L"微软雅黑"}, {L"size", L"12"}, {L"default", L"true"}},
                  {{L"id", L"1"}, {L"name", L"微软雅黑"}, {L"size", L"16"}, {L"weight", L"600"}},
                  {{L"id", L"2"}, {L"name", L"微软雅黑"}, {L"size", L"16"}, {L"weight", L"400"}},
              }),
              fonts);
    ASSERT_NE(nullptr, buttonDefault);
    EXPECT_EQ((Pairs{{L"name", L"Button"}, {L"value", L"bordersize=\"0\" bordercolor=\"#FF222222\""}}),
              buttonDefault->attributes);
}

TEST_F(SkinMarkupTest, EveryControlOfTheWindowSitsUnderItsParent) {
    const std::map<std::wstring, int> found = Resolve();
    std::set<int> listed;
    for (const auto& entry : found) {
        listed.insert(entry.second);
    }
    std::map<int, int> lastIndexUnderParent;
    for (const ExpectedControl& expected : ExpectedControls()) {
        const int index = found.at(expected.id);
        ExpectAttributes(tree_.Node(index), expected);
        // No other listed control may stand between a control and its parent.
        const int parent = expected.parent == nullptr ? tree_.Root() : found.at(expected.parent);
        int ancestor = tree_.Node(index).parent;
        while (ancestor != parent && ancestor >= 0) {
            EXPECT_EQ(0u, listed.count(ancestor)) << expected.id << " is nested in another listed control";
            ancestor = tree_.Node(ancestor).parent;
        }
        EXPECT_EQ(parent, ancestor) << expected.id << " is not below " << (expected.parent ? expected.parent : L"Window");
        // Siblings in the order of the table: it is the order they are laid out in.
        auto last = lastIndexUnderParent.find(parent);
        if (last != lastIndexUnderParent.end()) {
            EXPECT_LT(last->second, index) << expected.id << " is out of order";
        }
        lastIndexUnderParent[parent] = index;
    }
}

TEST_F(SkinMarkupTest, ControlsAreKnownClassesWithUniqueNamesAndWellFormedImages) {
    static const std::set<std::wstring> kClasses = {L"Control",          L"Container", L"VerticalLayout",
                                                    L"HorizontalLayout", L"Label",     L"Button",
                                                    L"Progress"};
    std::set<std::wstring> names;
    for (int index : tree_.Descendants(tree_.Root())) {
        const SkinNode& node = tree_.Node(index);
        if (node.parent == tree_.Root() && (node.element == L"Font" || node.element == L"Default")) {
            continue;
        }
        EXPECT_EQ(1u, kClasses.count(node.element)) << "unknown control element " << node.element;
        if (const std::wstring* name = node.Attribute(L"name")) {
            EXPECT_TRUE(names.insert(*name).second) << "name used twice: " << *name;
        }
        for (const auto& [key, value] : node.attributes) {
            if (!IsImageAttribute(key)) {
                continue;
            }
            std::map<std::wstring, std::wstring> pairs;
            EXPECT_TRUE(ImagePairs(value, pairs)) << key << "=\"" << value << "\" is malformed";
            const int id = _wtoi(pairs[L"res"].c_str());
            EXPECT_TRUE(id >= 120 && id <= 128 && pairs[L"restype"] == L"png") << key << "=\"" << value << "\"";
        }
    }
}
