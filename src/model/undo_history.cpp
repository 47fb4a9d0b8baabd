#include "model/undo_history.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <unordered_map>
#include <utility>

#include "model/document.h"
#include "model/layers.h"
#include "model/render_settings.h"

namespace marquetta {

const char* StepName(StepKind kind) {
    switch (kind) {
        case StepKind::Edit:
            return "編集";
        case StepKind::Line:
            return "直線";
        case StepKind::Circle:
            return "円";
        case StepKind::Arc:
            return "円弧";
        case StepKind::Text:
            return "文字";
        case StepKind::TextImport:
            return "文字読込";
        case StepKind::Erase:
            return "消去";
        case StepKind::Move:
            return "移動";
        case StepKind::Copy:
            return "複写";
        case StepKind::Offset:
            return "複線";
        case StepKind::Stretch:
            return "伸縮";
        case StepKind::DxfImport:
            return "DXF読込";
        case StepKind::Insert:
            return "挿入";
        case StepKind::Layers:
            return "画層";
        case StepKind::Paste:
            return "貼り付け";
        case StepKind::ChangeLayer:
            return "画層変更";
        case StepKind::RenderSettings:
            return "レンダリング設定";
        case StepKind::Rotate:
            return "回転";
        case StepKind::Mirror:
            return "鏡像";
        case StepKind::MirrorCopy:
            return "鏡像複写";
        case StepKind::Scale:
            return "尺度";
        case StepKind::Fillet:
            return "角丸め";
        case StepKind::Chamfer:
            return "面取り";
        case StepKind::Trim:
            return "トリム";
        case StepKind::Rectangle:
            return "矩形";
        case StepKind::Dimension:
            return "寸法";
    }
    return "編集";
}

struct LayerTableCopy {
    int count = 0;
    std::array<LayerSlot, kLayerSlots> slots;
};

namespace {

LayerTableCopy CopyLayerTable() {
    LayerTableCopy copy;
    copy.count = g_layerCount;
    for (int i = 0; i < kLayerSlots; ++i) {
        copy.slots[i] = GetLayerSlot(i);
    }
    return copy;
}

// What a shape held out of the drawing is taken to cost: its slot and its pointer, and
// the memory behind its texts (StringBytes).
constexpr size_t kHeldShapeBytes = sizeof(CShape) + sizeof(void*);

// The memory a string holds beyond its own object: nothing while its characters fit
// inside it.
size_t StringBytes(const std::string& s) {
    static const size_t kInPlace = std::string().capacity();
    return s.capacity() > kInPlace ? s.capacity() + 1 : 0;
}

size_t SlotBytes(const LayerSlot& slot) {
    return StringBytes(slot.name) + StringBytes(slot.texture);
}

void ForgetDetached(const DetachedShapes& detached, const std::vector<CShape**>& references) {
    for (CShape** reference : references) {
        if (*reference == nullptr) {
            continue;
        }
        for (const CShape* shape : detached.Shapes()) {
            if (shape == *reference) {
                *reference = nullptr;
                break;
            }
        }
    }
}

std::array<Float3, 4> PointsOf(const Float3 (&points)[4]) {
    return {points[0], points[1], points[2], points[3]};
}

}  // namespace

// The changes of one step, or of the selection between steps, in the order they were
// made. Each kind of change keeps its own records; the ops say in which order the runs
// of records came.
class ChangeSet {
  public:
    bool Empty() const {
        return m_ops.empty() && !m_layers && !m_path && !m_settings && !m_currentLayer;
    }
    // Anything beyond selection flags.
    bool Structural() const {
        return m_layers || m_path || m_settings || m_currentLayer ||
               std::any_of(m_ops.begin(), m_ops.end(),
                           [](const Op& op) { return op.kind != OpKind::Select; });
    }
    size_t SelectionCount() const { return m_selections.size(); }

    void AddSelection(CShape& shape, int32_t before, int32_t after) {
        // A shape moved and then deselected (a move): one record, so that undo and redo
        // visit the shape once.
        if (!m_ops.empty() && m_ops.back().kind == OpKind::Translate &&
            m_moved.back().shape == &shape && !m_moved.back().selection) {
            MovedShape& moved = m_moved.back();
            moved.selection = true;
            moved.selectedBefore = before;
            moved.selectedAfter = after;
            return;
        }
        m_selections.push_back({&shape, before, after});
        Extend(OpKind::Select, 0, m_selections.size() - 1);
    }

    void AddTranslation(CShape& shape, const Float3& base, const Float3& destination) {
        // Bit for bit: a redo must compute exactly what the step did.
        const Translation t{base, destination};
        if (m_ops.empty() || m_ops.back().kind != OpKind::Translate ||
            std::memcmp(&m_translations[m_ops.back().translation], &t, sizeof t) != 0) {  // NOLINT(bugprone-suspicious-memory-comparison): bit for bit, as said above
            m_translations.push_back(t);
        }
        // Most coordinates come back exactly by moving back; only the others are kept.
        MovedShape moved{&shape};
        if (!MovesBackExactly(shape, t)) {
            moved.before = static_cast<uint32_t>(m_movedBefore.size());
            m_movedBefore.push_back(PointsOf(shape.m_pt));
        }
        m_moved.push_back(moved);
        Extend(OpKind::Translate, static_cast<uint32_t>(m_translations.size() - 1),
               m_moved.size() - 1);
    }

    void AddReshape(CShape& shape, const std::array<Float3, 4>& after,
                    const std::array<Float3, 4>* normalsAfter) {
        ReshapedShape reshaped{&shape, PointsOf(shape.m_pt), after};
        if (normalsAfter != nullptr) {
            reshaped.normals = static_cast<uint32_t>(m_reshapedNormals.size());
            m_reshapedNormals.push_back({PointsOf(shape.m_normal), *normalsAfter});
        }
        m_reshaped.push_back(reshaped);
        Extend(OpKind::Reshape, 0, m_reshaped.size() - 1);
    }

    void AddRelayer(CShape& shape, const std::string& after) {
        // Few pairs of names in a step: a rename has one, a move one per layer it takes
        // shapes from.
        uint32_t pair = 0;
        while (pair < m_layerNames.size() &&
               (m_layerNames[pair].first != shape.m_strLayer || m_layerNames[pair].second != after)) {
            ++pair;
        }
        if (pair == m_layerNames.size()) {
            m_layerNames.emplace_back(shape.m_strLayer, after);
        }
        m_relayered.push_back({&shape, pair});
        Extend(OpKind::Relayer, 0, m_relayered.size() - 1);
    }

    void SetCurrentLayerChange(std::string before, std::string after) {
        m_currentLayer = std::make_pair(std::move(before), std::move(after));
    }

    void AddInserted(ShapeRun run) {
        if (!m_ops.empty() && m_ops.back().kind == OpKind::List) {
            ListChange& last = m_lists.back();
            const ShapeRun& end = last.held.runs.back();
            if (last.inserted && end.first + end.count == run.first) {
                last.held.runs.back().count += run.count;
                return;
            }
        }
        ListChange change;
        change.inserted = true;
        change.held.runs.push_back(run);
        m_lists.push_back(std::move(change));
        m_ops.push_back({OpKind::List, 0, m_lists.size() - 1, 1});
    }

    void AddRemoved(DetachedShapes removed) {
        // The shapes are held while the step is done: their texts' memory with them.
        size_t textBytes = 0;
        for (const CShape* shape : removed.Shapes()) {
            textBytes += StringBytes(shape->m_strLayer) + StringBytes(shape->m_strText);
        }
        m_lists.push_back({false, std::move(removed), textBytes});
        m_ops.push_back({OpKind::List, 0, m_lists.size() - 1, 1});
    }

    void SetSettingsChange(RenderSettings before, RenderSettings after) {
        m_settings = std::make_pair(std::move(before), std::move(after));
    }

    // The shapes whose flags these changes set, selected now although they were not
    // before the first change: what a command picked on its way and left selected.
    // Each with the flag it had before.
    std::vector<std::pair<CShape*, int32_t>> PicksLeftSelected() const {
        std::vector<std::pair<CShape*, int32_t>> picks;
        std::unordered_map<const CShape*, bool> seen;
        for (const SelectionChange& change : m_selections) {
            if (change.shape->m_bSelected == 1 && seen.try_emplace(change.shape, true).second &&
                change.before != 1) {
                picks.emplace_back(change.shape, change.before);
            }
        }
        return picks;
    }

    void SetLayerChange(int countBefore, int countAfter, const LayerTableCopy& before) {
        LayerChange change{countBefore, countAfter, {}};
        for (int i = 0; i < kLayerSlots; ++i) {
            LayerSlot now = GetLayerSlot(i);
            if (!(now == before.slots[i])) {
                change.edits.push_back({i, before.slots[i], std::move(now)});
            }
        }
        if (countBefore != countAfter || !change.edits.empty()) {
            m_layers = std::move(change);
        }
    }

    void SetPathChange(std::string before, std::string after) {
        m_path = std::make_pair(std::move(before), std::move(after));
    }

    // `later`'s changes after these.
    void Append(ChangeSet&& later) {
        for (Op op : later.m_ops) {
            switch (op.kind) {
                case OpKind::Select:
                    op.first += m_selections.size();
                    break;
                case OpKind::Translate:
                    op.first += m_moved.size();
                    op.translation += static_cast<uint32_t>(m_translations.size());
                    for (size_t i = 0; i < op.count; ++i) {
                        MovedShape& moved = later.m_moved[op.first - m_moved.size() + i];
                        if (moved.before != kNoPoints) {
                            moved.before += static_cast<uint32_t>(m_movedBefore.size());
                        }
                    }
                    break;
                case OpKind::Reshape:
                    op.first += m_reshaped.size();
                    for (size_t i = 0; i < op.count; ++i) {
                        ReshapedShape& reshaped = later.m_reshaped[op.first - m_reshaped.size() + i];
                        if (reshaped.normals != kNoPoints) {
                            reshaped.normals += static_cast<uint32_t>(m_reshapedNormals.size());
                        }
                    }
                    break;
                case OpKind::List:
                    op.first += m_lists.size();
                    break;
                case OpKind::Relayer:
                    op.first += m_relayered.size();
                    break;
            }
            m_ops.push_back(op);
        }
        auto move = [](auto& to, auto& from) {
            if (to.empty()) {
                to.swap(from);  // most steps append to nothing of a kind: no copy
                return;
            }
            to.insert(to.end(), std::make_move_iterator(from.begin()),
                      std::make_move_iterator(from.end()));
        };
        move(m_selections, later.m_selections);
        move(m_translations, later.m_translations);
        move(m_moved, later.m_moved);
        move(m_movedBefore, later.m_movedBefore);
        move(m_reshaped, later.m_reshaped);
        move(m_reshapedNormals, later.m_reshapedNormals);
        move(m_lists, later.m_lists);
        const auto pairs = static_cast<uint32_t>(m_layerNames.size());
        for (RelayeredShape& relayered : later.m_relayered) {
            relayered.names += pairs;
        }
        move(m_relayered, later.m_relayered);
        move(m_layerNames, later.m_layerNames);
        if (later.m_currentLayer) {
            m_currentLayer = m_currentLayer
                                 ? std::make_pair(m_currentLayer->first, later.m_currentLayer->second)
                                 : *later.m_currentLayer;
        }
        if (later.m_layers) {
            if (!m_layers) {
                m_layers = std::move(later.m_layers);
            } else {
                m_layers->countAfter = later.m_layers->countAfter;
                for (LayerEdit& edit : later.m_layers->edits) {
                    auto same = std::find_if(m_layers->edits.begin(), m_layers->edits.end(),
                                             [&](const LayerEdit& e) { return e.index == edit.index; });
                    if (same != m_layers->edits.end()) {
                        same->after = std::move(edit.after);
                    } else {
                        m_layers->edits.push_back(std::move(edit));
                    }
                }
            }
        }
        if (later.m_path) {
            m_path = m_path ? std::make_pair(m_path->first, later.m_path->second) : *later.m_path;
        }
        if (later.m_settings) {
            m_settings = m_settings ? std::make_pair(m_settings->first, later.m_settings->second)
                                    : *later.m_settings;
        }
        later = ChangeSet();
    }

    // Selection changes alone, reduced to one record per shape: the flag it had first
    // and the flag it has now. Keeps what a long run of select-all and cancel records
    // from outgrowing the drawing.
    void CompactSelections() {
        std::unordered_map<CShape*, size_t> seen;
        seen.reserve(m_selections.size());
        std::vector<SelectionChange> kept;
        for (const SelectionChange& change : m_selections) {
            const auto [it, first] = seen.try_emplace(change.shape, kept.size());
            if (first) {
                kept.push_back(change);
            } else {
                kept[it->second].after = change.after;
            }
        }
        std::erase_if(kept, [](const SelectionChange& c) { return c.before == c.after; });
        m_selections = std::move(kept);
        m_ops.clear();
        if (!m_selections.empty()) {
            m_ops.push_back({OpKind::Select, 0, 0, m_selections.size()});
        }
    }

    void Revert(CZorader_ezDoc& doc, const std::vector<CShape**>& references) {
        for (auto op = m_ops.rbegin(); op != m_ops.rend(); ++op) {
            switch (op->kind) {
                case OpKind::Select:
                    Each(m_selections, *op, true, [&](const SelectionChange& c) {
                        doc.SetSelectedFlag(*c.shape, c.before);
                    });
                    break;
                case OpKind::Translate: {
                    const Translation& t = m_translations[op->translation];
                    Each(m_moved, *op, true, [&](const MovedShape& m) {
                        if (m.selection) {
                            doc.SetSelectedFlag(*m.shape, m.selectedBefore);
                        }
                        if (m.before == kNoPoints) {
                            doc.TranslateShape(*m.shape, t.destination, t.base);
                        } else {
                            doc.SetShapePoints(*m.shape, m_movedBefore[m.before]);
                        }
                    });
                    break;
                }
                case OpKind::Reshape:
                    Each(m_reshaped, *op, true,
                         [&](const ReshapedShape& r) { doc.SetShapePoints(*r.shape, r.before, NormalsOf(r, 0)); });
                    break;
                case OpKind::List:
                    Flip(doc, m_lists[op->first], true, references);
                    break;
                case OpKind::Relayer:
                    Each(m_relayered, *op, true, [&](const RelayeredShape& r) {
                        doc.SetShapeLayer(*r.shape, m_layerNames[r.names].first);
                    });
                    break;
            }
        }
        if (m_currentLayer) {
            doc.ChooseCurrentLayer(m_currentLayer->first);
        }
        if (m_layers) {
            for (const LayerEdit& edit : m_layers->edits) {
                SetLayerSlot(edit.index, edit.before);
            }
            SetLayerCount(m_layers->countBefore);
        }
        if (m_path) {
            doc.SetPathName(m_path->first);
        }
        if (m_settings) {
            SetRenderSettings(m_settings->first);
        }
    }

    void Reapply(CZorader_ezDoc& doc, const std::vector<CShape**>& references) {
        if (m_layers) {
            for (const LayerEdit& edit : m_layers->edits) {
                SetLayerSlot(edit.index, edit.after);
            }
            SetLayerCount(m_layers->countAfter);
        }
        if (m_path) {
            doc.SetPathName(m_path->second);
        }
        if (m_currentLayer) {
            doc.ChooseCurrentLayer(m_currentLayer->second);
        }
        if (m_settings) {
            SetRenderSettings(m_settings->second);
        }
        for (const Op& op : m_ops) {
            switch (op.kind) {
                case OpKind::Select:
                    Each(m_selections, op, false, [&](const SelectionChange& c) {
                        doc.SetSelectedFlag(*c.shape, c.after);
                    });
                    break;
                case OpKind::Translate: {
                    const Translation& t = m_translations[op.translation];
                    Each(m_moved, op, false, [&](const MovedShape& m) {
                        doc.TranslateShape(*m.shape, t.base, t.destination);
                        if (m.selection) {
                            doc.SetSelectedFlag(*m.shape, m.selectedAfter);
                        }
                    });
                    break;
                }
                case OpKind::Reshape:
                    Each(m_reshaped, op, false,
                         [&](const ReshapedShape& r) { doc.SetShapePoints(*r.shape, r.after, NormalsOf(r, 1)); });
                    break;
                case OpKind::List:
                    Flip(doc, m_lists[op.first], false, references);
                    break;
                case OpKind::Relayer:
                    Each(m_relayered, op, false, [&](const RelayeredShape& r) {
                        doc.SetShapeLayer(*r.shape, m_layerNames[r.names].second);
                    });
                    break;
            }
        }
    }

    size_t Bytes() const {
        size_t bytes = sizeof(ChangeSet) + m_ops.capacity() * sizeof(Op) +
                       m_selections.capacity() * sizeof(SelectionChange) +
                       m_translations.capacity() * sizeof(Translation) +
                       m_moved.capacity() * sizeof(MovedShape) +
                       m_movedBefore.capacity() * sizeof(std::array<Float3, 4>) +
                       m_reshaped.capacity() * sizeof(ReshapedShape) +
                       m_reshapedNormals.capacity() * sizeof(m_reshapedNormals[0]) +
                       m_lists.capacity() * sizeof(ListChange) +
                       m_relayered.capacity() * sizeof(RelayeredShape) +
                       m_layerNames.capacity() * sizeof(std::pair<std::string, std::string>);
        for (const auto& [before, after] : m_layerNames) {
            bytes += StringBytes(before) + StringBytes(after);
        }
        if (m_currentLayer) {
            bytes += StringBytes(m_currentLayer->first) + StringBytes(m_currentLayer->second);
        }
        for (const ListChange& change : m_lists) {
            bytes += change.held.runs.capacity() * sizeof(ShapeRun) +
                     change.held.Count() * kHeldShapeBytes + change.textBytes;
        }
        if (m_layers) {
            bytes += m_layers->edits.capacity() * sizeof(LayerEdit);
            for (const LayerEdit& edit : m_layers->edits) {
                bytes += SlotBytes(edit.before) + SlotBytes(edit.after);
            }
        }
        if (m_path) {
            bytes += StringBytes(m_path->first) + StringBytes(m_path->second);
        }
        if (m_settings) {
            for (const RenderSettings* settings : {&m_settings->first, &m_settings->second}) {
                bytes += StringBytes(settings->sky) + StringBytes(settings->ground);
            }
        }
        return bytes;
    }

  private:
    enum class OpKind : uint8_t { Select, Translate, Reshape, List, Relayer };
    struct Op {
        OpKind kind;
        uint32_t translation;  // Translate: the base and destination
        size_t first;          // the op's records: [first, first + count) of its kind
        size_t count;
    };
    struct SelectionChange {
        CShape* shape;
        int32_t before;
        int32_t after;
    };
    struct Translation {
        Float3 base;
        Float3 destination;
    };
    // A moved shape: moving it back gives its points exactly, or they are kept; and a
    // move's change of its selected flag with it.
    static constexpr uint32_t kNoPoints = UINT32_MAX;
    struct MovedShape {
        CShape* shape = nullptr;
        uint32_t before = kNoPoints;  // in m_movedBefore, or kNoPoints
        int32_t selectedBefore = 0;
        int32_t selectedAfter = 0;
        bool selection = false;
    };
    // A shape given new points, and with a face turned, new normals (before and after
    // in m_reshapedNormals).
    struct ReshapedShape {
        CShape* shape;
        std::array<Float3, 4> before;
        std::array<Float3, 4> after;
        uint32_t normals = kNoPoints;
    };
    const std::array<Float3, 4>* NormalsOf(const ReshapedShape& r, size_t side) const {
        return r.normals == kNoPoints ? nullptr : &m_reshapedNormals[r.normals][side];
    }
    // Shapes added (`inserted`) or removed. `held` keeps their places, and the shapes
    // themselves while they are out of the drawing. Shapes added belong to the drawing
    // while the step is done; those removed are the history's, with `textBytes` behind
    // their layer names and texts.
    struct ListChange {
        bool inserted = false;
        DetachedShapes held;
        size_t textBytes = 0;
    };
    // A shape put on another layer: the names it had and has, in m_layerNames.
    struct RelayeredShape {
        CShape* shape;
        uint32_t names;
    };
    struct LayerEdit {
        int index;
        LayerSlot before;
        LayerSlot after;
    };
    struct LayerChange {
        int countBefore;
        int countAfter;
        std::vector<LayerEdit> edits;
    };

    // Adds record `index` to the last op when it is of the same kind (and move).
    void Extend(OpKind kind, uint32_t translation, size_t index) {
        if (!m_ops.empty() && m_ops.back().kind == kind && m_ops.back().translation == translation &&
            m_ops.back().first + m_ops.back().count == index) {
            ++m_ops.back().count;
        } else {
            m_ops.push_back({kind, translation, index, 1});
        }
    }

    // Runs `apply` over the records of `op`, last first when undoing, asking for the
    // shape some records ahead early: the shapes lie all over memory, the records not.
    template <class Record, class Apply>
    static void Each(const std::vector<Record>& records, const Op& op, bool backwards,
                     Apply apply) {
        constexpr size_t kAhead = 16;
        for (size_t n = 0; n < op.count; ++n) {
            if (n + kAhead < op.count) {
                const size_t ahead = n + kAhead;
                const CShape* shape =
                    records[backwards ? op.first + op.count - 1 - ahead : op.first + ahead].shape;
                // The fields undo and redo write: the flag, and the points.
                __builtin_prefetch(&shape->m_bSelected, 1);
                __builtin_prefetch(&shape->m_pt[0], 1);
                __builtin_prefetch(&shape->m_pt[3], 1);
            }
            apply(records[backwards ? op.first + op.count - 1 - n : op.first + n]);
        }
    }

    // Whether moving every point of `shape` by `t` and back, as the document moves
    // points, gives each coordinate back bit for bit.
    static bool MovesBackExactly(const CShape& shape, const Translation& t) {
        const float move[3][2] = {{t.destination.x, t.base.x},
                                  {t.destination.y, t.base.y},
                                  {t.destination.z, t.base.z}};
        for (const Float3& p : shape.m_pt) {
            const float coordinates[3] = {p.x, p.y, p.z};
            for (int c = 0; c < 3; ++c) {
                const float there = (coordinates[c] + move[c][0]) - move[c][1];
                const float back = (there + move[c][1]) - move[c][0];
                if (std::memcmp(&back, &coordinates[c], sizeof back) != 0) {  // NOLINT(bugprone-suspicious-memory-comparison): -0 must not pass for 0
                    return false;
                }
            }
        }
        return true;
    }

    // Takes the shapes of a change out of the drawing or puts them back: out when
    // undoing an insertion or redoing a removal.
    static void Flip(CZorader_ezDoc& doc, ListChange& change, bool undo,
                     const std::vector<CShape**>& references) {
        if (change.inserted == undo) {
            change.held = doc.DetachShapes(std::move(change.held.runs));
            ForgetDetached(change.held, references);
        } else {
            doc.ReattachShapes(change.held);
        }
    }

    std::vector<Op> m_ops;
    std::vector<SelectionChange> m_selections;
    std::vector<Translation> m_translations;
    std::vector<MovedShape> m_moved;
    std::vector<std::array<Float3, 4>> m_movedBefore;
    std::vector<ReshapedShape> m_reshaped;
    std::vector<std::array<std::array<Float3, 4>, 2>> m_reshapedNormals;
    std::vector<ListChange> m_lists;
    std::vector<RelayeredShape> m_relayered;
    std::vector<std::pair<std::string, std::string>> m_layerNames;
    std::optional<LayerChange> m_layers;
    std::optional<std::pair<std::string, std::string>> m_currentLayer;
    std::optional<std::pair<std::string, std::string>> m_path;
    std::optional<std::pair<RenderSettings, RenderSettings>> m_settings;
};

struct UndoHistory::Entry {
    // A step, or the selection changes made between two steps (kept so that an undo
    // reaches the state before a step exactly; never undone or redone on their own).
    bool step = true;
    StepKind kind = StepKind::Edit;
    ChangeSet changes;
    size_t bytes = 0;
    // The shapes the step's command picked on its way (a stretch's boundary, shapes a
    // copy goes on copying) and left selected, with their flags from before: the
    // state after the step, as undo or redo reach it, has them so again. The command
    // itself let go of them only when it ended.
    std::vector<std::pair<CShape*, int32_t>> picks;

    void LetGoOfPicks(CZorader_ezDoc& doc) const {
        for (const auto& [shape, flag] : picks) {
            if (shape->m_bSelected == 1) {
                doc.SetSelectedFlag(*shape, flag);
            }
        }
    }
};

UndoHistory::UndoHistory(CZorader_ezDoc& doc)
    : m_doc(doc), m_loose(std::make_unique<ChangeSet>()), m_command(std::make_unique<ChangeSet>()) {}

UndoHistory::~UndoHistory() = default;

void UndoHistory::SetLimits(size_t steps, size_t bytes) {
    m_maxSteps = std::max<size_t>(steps, 1);
    m_maxBytes = bytes;
    Trim();
}

namespace {

bool StepStartsCommand(StepKind kind) {
    switch (kind) {
        case StepKind::Line:
        case StepKind::Circle:
        case StepKind::Arc:
        case StepKind::Text:
        case StepKind::Move:
        case StepKind::Copy:
        case StepKind::Offset:
        case StepKind::Stretch:
        case StepKind::Rotate:
        case StepKind::Mirror:
        case StepKind::MirrorCopy:
        case StepKind::Scale:
        case StepKind::Fillet:
        case StepKind::Chamfer:
        case StepKind::Trim:
        case StepKind::Rectangle:
        case StepKind::Dimension:
            return false;
        default:
            return true;
    }
}

}  // namespace

void UndoHistory::CompactIfLarge(ChangeSet& changes) {
    if (changes.SelectionCount() > 2 * m_doc.m_shapes.size() + 4096 && !changes.Structural()) {
        changes.CompactSelections();
    }
}

ChangeSet& UndoHistory::Target() {
    return m_depth > 0 ? *m_open : *m_command;
}

void UndoHistory::RecordSelection(CShape& shape, int32_t before, int32_t after) {
    Target().AddSelection(shape, before, after);
    if (m_depth == 0) {
        CompactIfLarge(*m_command);
    }
}

void UndoHistory::RecordTranslation(CShape& shape, const Float3& base, const Float3& destination) {
    Target().AddTranslation(shape, base, destination);
}

void UndoHistory::RecordPoints(CShape& shape, const std::array<Float3, 4>& after,
                               const std::array<Float3, 4>* normalsAfter) {
    Target().AddReshape(shape, after, normalsAfter);
}

void UndoHistory::RecordLayer(CShape& shape, const std::string& after) {
    Target().AddRelayer(shape, after);
}

void UndoHistory::RecordInserted(ShapeRun run) {
    Target().AddInserted(run);
}

void UndoHistory::RecordRemoved(DetachedShapes removed) {
    Target().AddRemoved(std::move(removed));
}

void UndoHistory::CommandStarted() {
    if (m_depth > 0) {
        return;
    }
    m_loose->Append(std::move(*m_command));
    CompactIfLarge(*m_loose);
}

void UndoHistory::Begin(StepKind kind, bool extendsPaste) {
    if (m_depth > 0) {
        ++m_depth;
        return;
    }
    if (StepStartsCommand(kind) && !extendsPaste) {
        CommandStarted();
    }
    m_depth = 1;
    m_open = std::make_unique<ChangeSet>();
    m_openKind = kind;
    m_openExtendsPaste = extendsPaste;
    m_layersAtBegin = std::make_unique<LayerTableCopy>(CopyLayerTable());
    m_pathAtBegin = m_doc.GetPathName();
    m_currentLayerAtBegin = m_doc.CurrentLayer();
    m_settingsAtBegin = CurrentRenderSettings();
}

void UndoHistory::End() {
    if (m_depth == 0 || --m_depth > 0) {
        return;
    }
    std::unique_ptr<ChangeSet> open = std::move(m_open);
    open->SetLayerChange(m_layersAtBegin->count, g_layerCount, *m_layersAtBegin);
    m_layersAtBegin.reset();
    if (m_doc.GetPathName() != m_pathAtBegin) {
        open->SetPathChange(m_pathAtBegin, m_doc.GetPathName());
    }
    if (RenderSettings now = CurrentRenderSettings(); !(now == m_settingsAtBegin)) {
        open->SetSettingsChange(std::move(m_settingsAtBegin), std::move(now));
    }
    // Choosing the current layer alone is no step; with a change of the drawing (a
    // layer renamed) it goes back and forth with it.
    if (open->Structural() && m_doc.CurrentLayer() != m_currentLayerAtBegin) {
        open->SetCurrentLayerChange(m_currentLayerAtBegin, m_doc.CurrentLayer());
    }
    if (!open->Structural()) {
        m_command->Append(std::move(*open));
        return;
    }
    // Placing what was pasted joins the paste, unless the drawing was saved between:
    // the state saved must stay one that undo and redo reach.
    const bool extends = m_openExtendsPaste && m_cursor == m_entries.size() &&
                         !m_entries.empty() && m_entries.back()->step &&
                         m_entries.back()->kind == StepKind::Paste && !LooseStructural() &&
                         m_saved != m_cursor;
    // The step: what its command did on the way, then the step itself.
    std::vector<std::pair<CShape*, int32_t>> picks = m_command->PicksLeftSelected();
    ChangeSet changes = std::move(*m_command);
    m_command = std::make_unique<ChangeSet>();
    changes.Append(std::move(*open));
    if (extends) {
        Entry& paste = *m_entries.back();
        m_bytes -= paste.bytes;
        paste.changes.Append(std::move(*m_loose));
        paste.changes.Append(std::move(changes));
        m_loose = std::make_unique<ChangeSet>();
        paste.bytes = paste.changes.Bytes();
        m_bytes += paste.bytes;
    } else {
        CommitLooseChanges();
        auto entry = std::make_unique<Entry>();
        entry->kind = m_openKind;
        entry->changes = std::move(changes);
        entry->picks = std::move(picks);
        Push(std::move(entry));
    }
    Trim();
}

bool UndoHistory::LooseStructural() const {
    return m_loose->Structural() || m_command->Structural();
}

void UndoHistory::CommitLooseChanges() {
    DropRedo();
    if (!m_loose->Empty()) {
        const bool structural = m_loose->Structural();
        // Selection changes before the first step are never taken back: nothing before
        // them could be undone.
        if (structural || StepsBetween(0, m_cursor)) {
            auto entry = std::make_unique<Entry>();
            entry->step = structural;
            entry->changes = std::move(*m_loose);
            Push(std::move(entry));
        }
    }
    m_loose = std::make_unique<ChangeSet>();
}

void UndoHistory::Push(std::unique_ptr<Entry> entry) {
    entry->bytes = entry->changes.Bytes();
    m_bytes += entry->bytes;
    m_entries.push_back(std::move(entry));
    m_cursor = m_entries.size();
}

void UndoHistory::DropRedo() {
    if (m_saved && *m_saved > m_cursor) {
        // The saved state was among the steps undone; with only selection changes
        // between, it is the state here.
        m_saved = StepsBetween(m_cursor, *m_saved) ? std::nullopt : std::optional(m_cursor);
    }
    while (m_entries.size() > m_cursor) {
        m_bytes -= m_entries.back()->bytes;
        m_entries.pop_back();
    }
}

void UndoHistory::Trim() {
    while (StepCount() > 1 && (StepCount() > m_maxSteps || m_bytes > m_maxBytes)) {
        if (StepsBetween(0, m_cursor)) {
            DropOldest();
        } else {
            DropNewestUndone();
        }
    }
}

void UndoHistory::DropOldest() {
    // The oldest step, with the selection changes around it up to the next step or the
    // cursor.
    size_t dropped = 0;
    size_t step = 0;
    bool stepFound = false;
    while (dropped < m_cursor && !(stepFound && m_entries[dropped]->step)) {
        if (m_entries[dropped]->step) {
            stepFound = true;
            step = dropped;
        }
        ++dropped;
    }
    if (m_saved) {
        if (*m_saved >= dropped) {
            *m_saved -= dropped;
        } else if (*m_saved <= step) {
            m_saved.reset();  // saved before a step that can no longer be undone
        } else {
            m_saved = 0;  // after it, where only selection changes followed
        }
    }
    for (size_t i = 0; i < dropped; ++i) {
        m_bytes -= m_entries.front()->bytes;
        m_entries.pop_front();
    }
    m_cursor -= dropped;
}

void UndoHistory::DropNewestUndone() {
    // The last step undone, with the selection changes before it back to the cursor or
    // to the step before.
    bool stepDropped = false;
    while (m_entries.size() > m_cursor && !(stepDropped && m_entries.back()->step)) {
        stepDropped = stepDropped || m_entries.back()->step;
        m_bytes -= m_entries.back()->bytes;
        m_entries.pop_back();
    }
    if (m_saved && *m_saved > m_entries.size()) {
        m_saved.reset();  // the state saved can no longer be reached
    }
}

bool UndoHistory::StepsBetween(size_t a, size_t b) const {
    for (size_t i = std::min(a, b); i < std::max(a, b) && i < m_entries.size(); ++i) {
        if (m_entries[i]->step) {
            return true;
        }
    }
    return false;
}

bool UndoHistory::CanUndo() const {
    return LooseStructural() || StepsBetween(0, m_cursor);
}

bool UndoHistory::CanRedo() const {
    return !LooseStructural() && StepsBetween(m_cursor, m_entries.size());
}

std::optional<StepKind> UndoHistory::NextUndo() const {
    if (LooseStructural()) {
        return StepKind::Edit;
    }
    for (size_t i = m_cursor; i-- > 0;) {
        if (m_entries[i]->step) {
            return m_entries[i]->kind;
        }
    }
    return std::nullopt;
}

std::optional<StepKind> UndoHistory::NextRedo() const {
    if (!CanRedo()) {
        return std::nullopt;
    }
    for (size_t i = m_cursor; i < m_entries.size(); ++i) {
        if (m_entries[i]->step) {
            return m_entries[i]->kind;
        }
    }
    return std::nullopt;
}

void UndoHistory::RevertLooseSelection() {
    m_applying = true;
    m_command->Revert(m_doc, m_references);
    m_loose->Revert(m_doc, m_references);
    m_applying = false;
    m_command = std::make_unique<ChangeSet>();
    m_loose = std::make_unique<ChangeSet>();
}

bool UndoHistory::Undo() {
    if (m_depth > 0 || !CanUndo()) {
        return false;
    }
    if (LooseStructural()) {
        // Changes made outside any step are the step undone now.
        CommandStarted();
        CommitLooseChanges();
    } else {
        RevertLooseSelection();
    }
    m_applying = true;
    while (!m_entries[m_cursor - 1]->step) {
        m_entries[--m_cursor]->changes.Revert(m_doc, m_references);
    }
    Entry& entry = *m_entries[--m_cursor];
    entry.changes.Revert(m_doc, m_references);
    if (m_cursor > 0 && m_entries[m_cursor - 1]->step) {
        m_entries[m_cursor - 1]->LetGoOfPicks(m_doc);
    }
    m_applying = false;
    // The flags are back as they were; whether a selection exists follows from them
    // (a command may have ended with shapes it did not carry still selected).
    SetSelectionFlag(m_doc.AnySelected() ? 1 : 0);
    Finish();
    return true;
}

bool UndoHistory::Redo() {
    if (m_depth > 0 || !CanRedo()) {
        return false;
    }
    RevertLooseSelection();
    m_applying = true;
    while (!m_entries[m_cursor]->step) {
        m_entries[m_cursor++]->changes.Reapply(m_doc, m_references);
    }
    Entry& entry = *m_entries[m_cursor++];
    entry.changes.Reapply(m_doc, m_references);
    entry.LetGoOfPicks(m_doc);
    m_applying = false;
    SetSelectionFlag(m_doc.AnySelected() ? 1 : 0);
    Finish();
    return true;
}

bool UndoHistory::Withdraw(StepKind kind) {
    if (m_depth > 0 || LooseStructural() || m_cursor != m_entries.size() || m_entries.empty() ||
        !m_entries.back()->step || m_entries.back()->kind != kind || !Undo()) {
        return false;
    }
    DropRedo();
    Finish();
    return true;
}

void UndoHistory::SetSelectionFlag(int value) {
    if (m_selectionFlag != nullptr) {
        *m_selectionFlag = value;
    }
}

void UndoHistory::Finish() {
    m_doc.SetModifiedFlag(!m_saved || StepsBetween(*m_saved, m_cursor));
    g_displayListValid = 0;
}

void UndoHistory::Clear() {
    m_entries.clear();
    m_cursor = 0;
    m_saved = 0;
    m_bytes = 0;
    m_loose = std::make_unique<ChangeSet>();
    m_command = std::make_unique<ChangeSet>();
    if (m_depth > 0) {
        m_open = std::make_unique<ChangeSet>();
    }
}

void UndoHistory::MarkSaved() {
    if (LooseStructural()) {
        CommandStarted();
        CommitLooseChanges();
    }
    m_saved = m_cursor;
}

size_t UndoHistory::Bytes() const {
    return m_bytes + m_loose->Bytes() + m_command->Bytes();
}

size_t UndoHistory::StepCount() const {
    return static_cast<size_t>(
        std::count_if(m_entries.begin(), m_entries.end(), [](const auto& e) { return e->step; }));
}

}  // namespace marquetta
