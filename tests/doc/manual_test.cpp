// The user's manual (doc/manual) against the program: every menu caption, tool-bar
// tip, accelerator and view key is explained somewhere, and the pages hold no broken
// link or missing picture.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "app/command_table.h"
#include "test_files.h"
#include "ui/keyboard.h"

namespace marquetta {
namespace {

namespace fs = std::filesystem;

const fs::path kManual = fs::path(MARQUETTA_SOURCE_DIR) / "doc" / "manual";

// Every page of the manual by file name.
std::map<std::string, std::string> Pages() {
    std::map<std::string, std::string> pages;
    for (const fs::directory_entry& entry : fs::directory_iterator(kManual)) {
        if (entry.path().extension() == ".html") {
            pages[entry.path().filename().string()] = testing::ReadBytes(entry.path().string());
        }
    }
    return pages;
}

std::set<std::string> Matches(const std::string& text, const std::regex& pattern) {
    std::set<std::string> found;
    for (std::sregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it) {
        found.insert((*it)[1]);
    }
    return found;
}

// Every text between an `open` and the next `close`. (A byte regex cannot say "no
// bracket" in UTF-8: the brackets share their bytes with other characters.)
std::set<std::string> Between(const std::string& text, const std::string& open,
                              const std::string& close) {
    std::set<std::string> found;
    for (size_t at = text.find(open); at != std::string::npos; at = text.find(open, at)) {
        at += open.size();
        const size_t end = text.find(close, at);
        if (end == std::string::npos) {
            break;
        }
        found.insert(text.substr(at, end - at));
    }
    return found;
}

// A menu caption as the manual names it: without the shortcut after the tab, the
// trailing "...", and the access key in brackets ("新規作成(&N)", "平行透視（&P）",
// "DXFファイル(D)").
std::string Label(std::string caption) {
    caption = caption.substr(0, caption.find('\t'));
    const auto drop = [&caption](const std::string& tail) {
        if (caption.size() >= tail.size() &&
            caption.compare(caption.size() - tail.size(), tail.size(), tail) == 0) {
            caption.erase(caption.size() - tail.size());
        }
    };
    drop("...");
    static const std::regex accessKey("(\\(&?[A-Z]\\)|（&[A-Z]）)$");
    return std::regex_replace(caption, accessKey, "");
}

void CollectMenuLabels(const std::vector<MenuItem>& items, std::set<std::string>& labels) {
    for (const MenuItem& item : items) {
        if (item.kind == MenuItem::Kind::Popup) {
            labels.insert(Label(item.caption));
            CollectMenuLabels(item.children, labels);
        }
    }
}

TEST(ManualTest, NamesEveryCaptionTipAcceleratorAndKey) {
    std::string text;
    for (const auto& [name, page] : Pages()) {
        text += page;
    }
    const std::set<std::string> quoted = Between(text, "「", "」");
    const std::set<std::string> keys = Between(text, "<kbd>", "</kbd>");

    std::set<std::string> labels;
    std::set<std::string> keyNames;
    CollectMenuLabels(MainMenu(), labels);
    for (const CommandInfo& info : CommandTable()) {
        const std::string caption = info.caption;
        if (!caption.empty()) {
            labels.insert(Label(caption));
        }
        if (caption.find('\t') != std::string::npos) {
            keyNames.insert(caption.substr(caption.find('\t') + 1));
        }
        if (*info.toolTip != '\0') {
            labels.insert(info.toolTip);
        }
    }
    for (const Accelerator& a : AcceleratorTable()) {
        keyNames.insert(a.character ? std::string(1, static_cast<char>(a.key))
                                    : KeyName(a.key, a.modifiers));
    }
    for (const ViewKey& key : ViewKeyTable()) {
        keyNames.insert(key.name);
    }

    std::string missing;
    for (const std::string& label : labels) {
        if (quoted.count(label) == 0) {
            missing += " 「" + label + "」";
        }
    }
    for (const std::string& key : keyNames) {
        if (key.empty() || keys.count(key) == 0) {
            missing += " <kbd>" + key + "</kbd>";
        }
    }
    EXPECT_EQ(missing, "") << "the manual does not mention these";
}

TEST(ManualTest, LinksAndPicturesLeadSomewhere) {
    const std::map<std::string, std::string> pages = Pages();
    ASSERT_EQ(pages.count("index.html"), 1u);
    const std::regex reference("(?:href|src)=\"([^\"]*)\"");
    std::set<std::string> pictures;
    std::string broken;
    for (const auto& [name, page] : pages) {
        for (const std::string& target : Matches(page, reference)) {
            if (target.rfind("http", 0) == 0) {
                continue;
            }
            const size_t hash = target.find('#');
            const std::string file = hash == 0 ? name : target.substr(0, hash);
            if (file.rfind("images/", 0) == 0) {
                pictures.insert(file.substr(7));
            }
            const fs::path path = kManual / file;
            bool found = fs::is_regular_file(path);
            if (found && hash != std::string::npos) {
                const std::string id = "id=\"" + target.substr(hash + 1) + "\"";
                found = testing::ReadBytes(path.string()).find(id) != std::string::npos;
            }
            if (!found) {
                broken += " " + name + ": " + target;
            }
        }
    }
    EXPECT_EQ(broken, "");
    // Every picture is shown somewhere: none is left behind by an edit.
    std::string unused;
    for (const fs::directory_entry& entry : fs::directory_iterator(kManual / "images")) {
        if (pictures.count(entry.path().filename().string()) == 0) {
            unused += " " + entry.path().filename().string();
        }
    }
    EXPECT_EQ(unused, "");
}

}  // namespace
}  // namespace marquetta
