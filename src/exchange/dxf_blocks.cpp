#include "exchange/dxf_blocks.h"

#include <algorithm>
#include <limits>

namespace marquetta::dxf {

std::string Upper(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return out;
}

namespace {

constexpr uint64_t kSaturated = std::numeric_limits<uint64_t>::max() / 4;

uint64_t SaturatingMultiply(uint64_t a, uint64_t b) {
    if (a != 0 && b > kSaturated / a) {
        return kSaturated;
    }
    return std::min(a * b, kSaturated);
}

uint64_t SaturatingAdd(uint64_t a, uint64_t b) {
    return std::min(a + b, kSaturated);
}

}  // namespace

Block* BlockTable::Begin(std::string_view name, const Double3& base, bool external) {
    const std::string key(name);
    if (m_byName.count(key) != 0) {
        return nullptr;
    }
    const size_t number = m_blocks.size();
    m_blocks.push_back(Block{number, key, base, external, {}});
    m_byName.emplace(key, number);
    m_byUpperName.emplace(Upper(name), number);  // the first of a name in any case
    return &m_blocks.back();
}

const Block* BlockTable::Find(std::string_view name) const {
    auto found = m_byName.find(std::string(name));
    if (found == m_byName.end()) {
        found = m_byUpperName.find(Upper(name));
        if (found == m_byUpperName.end()) {
            return nullptr;
        }
    }
    return &m_blocks[found->second];
}

const std::string* BlockTable::Keep(std::string_view text) {
    m_strings.emplace_back(text);
    return &m_strings.back();
}

void ImportReport::CountKind(std::string_view kind, uint64_t n) {
    for (auto& [name, count] : kinds) {
        if (name == kind) {
            count = SaturatingAdd(count, n);
            return;
        }
    }
    // The names come from the file: a hostile one is shown harmlessly, and there are
    // never more of them than a message can hold.
    std::string shown;
    for (const char c : kind.substr(0, 32)) {
        shown += c > ' ' && c < 127 ? c : '?';
    }
    constexpr size_t kMostKinds = 24;
    if (kinds.size() >= kMostKinds) {
        shown = "...";
        for (auto& [name, count] : kinds) {
            if (name == shown) {
                count = SaturatingAdd(count, n);
                return;
            }
        }
    }
    kinds.emplace_back(shown, n);
}

bool ImportReport::Empty() const {
    return kinds.empty() && lostCharacters == 0 && outOfRange == 0 && selfReferences == 0 &&
           missingBlocks == 0 && externalBlocks == 0;
}

std::string ImportReport::Text() const {
    if (Empty()) {
        return {};
    }
    std::string text = "取り込めなかった図形: ";
    bool first = true;
    auto item = [&](std::string_view what, uint64_t count) {
        if (count == 0) {
            return;
        }
        text += first ? "" : ", ";
        text += what;
        text += ' ';
        text += std::to_string(count);
        first = false;
    };
    for (const auto& [name, count] : kinds) {
        item(name, count);
    }
    item("範囲外の数値", outOfRange);
    item("自分を参照するブロック", selfReferences);
    item("定義のないブロック", missingBlocks);
    item("外部参照", externalBlocks);
    item("文字の変換", lostCharacters);
    return text;
}

std::pair<uint64_t, uint64_t> BlockExpander::Grid(const Primitive& insert) {
    const uint64_t columns =
        insert.columns > 1 && Length(insert.columnStep) > 0.0 ? static_cast<uint64_t>(insert.columns) : 1;
    const uint64_t rows =
        insert.rows > 1 && Length(insert.rowStep) > 0.0 ? static_cast<uint64_t>(insert.rows) : 1;
    return {columns, rows};
}

Placement BlockExpander::CopyPlacement(const Primitive& insert, const Block& block,
                                       int32_t column, int32_t row, const Placement& parent) {
    Affine own;
    own.X = insert.p[0];
    own.Y = insert.p[1];
    own.Z = insert.p[2];
    own.T = insert.p[3] + static_cast<double>(column) * insert.columnStep +
            static_cast<double>(row) * insert.rowStep - own.Direction(block.base);
    Placement placement;
    placement.transform = parent.transform.After(own);
    placement.plain = false;
    placement.inBlock = true;
    // Layer "0" inside a block stands for the layer of the reference, and "by block"
    // for its colour: resolved here, so that nested blocks hand on what they got.
    const bool onLayerZero = insert.layer == 0 && parent.inBlock;
    placement.layer = onLayerZero ? parent.layer : insert.layer;
    if (insert.colour.rgb < 0 && insert.colour.number == 0) {
        placement.colour = parent.inBlock ? parent.colour : ColourSpec{7, -1};
        placement.colourLayer = parent.inBlock ? parent.colourLayer : placement.layer;
    } else {
        placement.colour = insert.colour;
        placement.colourLayer = placement.layer;
    }
    return placement;
}

uint64_t BlockExpander::Estimate(const Block& root) {
    if (m_estimates.size() != m_blocks.Size()) {
        // Blocks defined since the last look may change what others expand to.
        m_estimates.assign(m_blocks.Size(), 0);
        m_visiting.assign(m_blocks.Size(), 0);
    }
    const size_t rootNumber = root.number;
    if (m_estimates[rootNumber] != 0) {
        return m_estimates[rootNumber] - 1;
    }
    // Every block marked on the way is unmarked when it is left, so the marks are
    // kept from one estimate to the next: a drawing of many dimensions, each with a
    // block of its own, costs no pass over the whole table per reference.
    std::vector<uint8_t>& visiting = m_visiting;
    struct Visit {
        const Block* block;
        size_t next;
        uint64_t sum;
    };
    std::vector<Visit> path;
    path.push_back({&root, 0, 0});
    visiting[rootNumber] = 1;
    uint64_t result = 0;
    while (!path.empty()) {
        Visit& visit = path.back();
        if (visit.next == visit.block->items.size()) {
            const size_t number = visit.block->number;
            m_estimates[number] = visit.sum + 1;
            visiting[number] = 0;
            result = visit.sum;
            path.pop_back();
            if (!path.empty()) {
                const Primitive& insert = path.back().block->items[path.back().next - 1];
                const auto [columns, rows] = Grid(insert);
                path.back().sum = SaturatingAdd(
                    path.back().sum, SaturatingMultiply(SaturatingMultiply(columns, rows), result));
            }
            continue;
        }
        const Primitive& item = visit.block->items[visit.next++];
        visit.sum = SaturatingAdd(visit.sum, 1);
        if (item.kind != PrimitiveKind::Insert || item.text == nullptr) {
            continue;
        }
        const Block* child = m_blocks.Find(*item.text);
        if (child == nullptr || child->external) {
            continue;
        }
        const size_t number = child->number;
        if (visiting[number] != 0) {
            continue;  // a reference back: it will not be followed
        }
        if (m_estimates[number] != 0) {
            const auto [columns, rows] = Grid(item);
            visit.sum = SaturatingAdd(visit.sum, SaturatingMultiply(SaturatingMultiply(columns, rows),
                                                                    m_estimates[number] - 1));
            continue;
        }
        visiting[number] = 1;
        path.push_back({child, 0, 0});
    }
    return result;
}

bool ExpansionBudget::Exceeds(uint64_t work) const {
    return SaturatingAdd(m_spent, work) > m_bound;
}

void ExpansionBudget::Spend(uint64_t work, bool curves) {
    m_spent = SaturatingAdd(m_spent, work);
    if (m_spent > m_bound) {
        throw ExpansionTooLarge{curves};
    }
}

void BlockExpander::Place(const Primitive& insert, const Placement& at) {
    const Block* block = insert.text != nullptr ? m_blocks.Find(*insert.text) : nullptr;
    if (block == nullptr) {
        ++m_report.missingBlocks;
        return;
    }
    if (block->external) {
        ++m_report.externalBlocks;
        return;
    }
    const uint64_t perCopy = Estimate(*block);
    if (perCopy == 0) {
        return;  // an empty block places nothing, however large its grid
    }
    const auto [columns, rows] = Grid(insert);
    if (m_budget.Exceeds(SaturatingMultiply(SaturatingMultiply(columns, rows), perCopy))) {
        throw ExpansionTooLarge{};
    }
    if (m_onPath.size() != m_blocks.Size()) {
        m_onPath.assign(m_blocks.Size(), 0);
    }
    m_stack.clear();
    m_stack.push_back({block, &insert, 0, 0, 0, at, CopyPlacement(insert, *block, 0, 0, at)});
    m_onPath[block->number] = 1;
    while (!m_stack.empty()) {
        Frame& frame = m_stack.back();
        if (frame.next == frame.block->items.size()) {
            // The next copy of the grid, column by column along each row.
            const auto [frameColumns, frameRows] = Grid(*frame.insert);
            if (static_cast<uint64_t>(frame.column) + 1 < frameColumns) {
                ++frame.column;
            } else if (static_cast<uint64_t>(frame.row) + 1 < frameRows) {
                frame.column = 0;
                ++frame.row;
            } else {
                m_onPath[frame.block->number] = 0;
                m_stack.pop_back();
                continue;
            }
            frame.next = 0;
            frame.placement =
                CopyPlacement(*frame.insert, *frame.block, frame.column, frame.row, frame.parent);
            continue;
        }
        const Primitive& item = frame.block->items[frame.next++];
        if (item.kind == PrimitiveKind::Unsupported) {
            m_budget.Spend(1);
            if (item.text != nullptr) {
                m_report.CountKind(*item.text);
            }
            continue;
        }
        if (item.kind != PrimitiveKind::Insert) {
            m_budget.Spend(std::max<size_t>(1, m_sink.Emit(item, frame.placement)));
            continue;
        }
        m_budget.Spend(1);
        const Block* child = item.text != nullptr ? m_blocks.Find(*item.text) : nullptr;
        if (child == nullptr) {
            ++m_report.missingBlocks;
            continue;
        }
        if (child->external) {
            ++m_report.externalBlocks;
            continue;
        }
        const size_t number = child->number;
        if (m_onPath[number] != 0) {
            ++m_report.selfReferences;
            continue;
        }
        if (child->items.empty()) {
            continue;  // walking a grid of empty copies would cost time and place nothing
        }
        m_onPath[number] = 1;
        const Placement parent = frame.placement;  // `frame` may move as the stack grows
        m_stack.push_back({child, &item, 0, 0, 0, parent, CopyPlacement(item, *child, 0, 0, parent)});
    }
}

}  // namespace marquetta::dxf
