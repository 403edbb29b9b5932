// Sizes of subtrees and rows, kept in the items' own size cache, and where a row or cell lies.
// Nothing about positions is stored: the walk and the origin finder derive them from sizes. Large
// families (many children of one parent, or many roots) also get an index of their rows' tops,
// so the first visible row is found by binary search instead of summing every row above it.
//
// One rule serves both measuring and placing, so the scroll range always covers what is drawn:
// every cell advances the next one by its outer width (subtree width + 14), raised to the row's
// leftmost ItemWidth; a row ends at the right edge of its last cell's subtree, or at the leftmost
// ItemWidth when that is further right.
#pragma once

#include "arbor/model/xtreemodel.h"

#include <QFontMetrics>
#include <QSize>

#include <optional>
#include <unordered_map>
#include <vector>

namespace arbor {

// One cell of a row, relative to the row's origin.
struct RowCell {
    XTreeItem *item;
    int dx;
    int dy;
};

struct RowGeometry {
    int width = 0;
    int height = 0;
};

class XTreeLayout {
public:
    explicit XTreeLayout(XTreeModel &model);
    Q_DISABLE_COPY_MOVE(XTreeLayout)

    // Brings the size of every visible item up to date and recomputes the content size. Costs the
    // items whose size was marked stale plus one pass over the root rows; iterative, so depth is
    // unbounded.
    void update();
    QSize contentSize() const noexcept { return m_content; }

    // Node size of an item, measured with its font or the control font; O(1) from the cache for a
    // valid item that shows no children.
    QSize nodeSize(const XTreeItem *x) const;
    // Subtree size from the cache; valid after update() for every visible item.
    static QSize subtreeSize(const XTreeItem *x) noexcept
    {
        return { x->cachedWidth(), x->cachedHeight() };
    }
    // The cells of the row that starts at leftmost, with their offsets; cells may be null to get
    // only the size. O(row length).
    RowGeometry row(const XTreeItem *leftmost, std::vector<RowCell> *cells) const;

    // The first row of a family (the children of parent, or the roots when parent is null) whose
    // bottom lies below offset, measured from the family's top. Returns the row and its top, or
    // (null, total height) when every row ends above. O(log k) for indexed families, else O(rows
    // skipped).
    std::pair<XTreeItem *, int> firstRowEndingBelow(const XTreeItem *parent, int offset) const;
    // Top of a leftmost item's row within its family. O(rows above it).
    int rowTop(const XTreeItem *leftmost) const;
    // Origin of any visible item in content coordinates (no scroll applied); nullopt for an item
    // hidden by a collapsed ancestor. O(depth x rows above at each level).
    std::optional<QPoint> contentOrigin(const XTreeItem *x) const;

    // Families with at least this many rows are indexed.
    static constexpr std::size_t kIndexThreshold = 32;

private:
    struct FamilyIndex {
        std::vector<XTreeItem *> rows;
        std::vector<int> tops; // tops[i] is the top of rows[i]; tops.back() the family height
    };
    void computeSubtree(XTreeItem *x);
    void ensureRowsBelow(XTreeItem *x, std::vector<std::pair<XTreeItem *, bool>> &stack) const;
    const QFontMetrics &metricsFor(const XTreeItem *x) const;

    XTreeModel &m_model;
    QSize m_content;
    std::unordered_map<const XTreeItem *, FamilyIndex> m_families; // key null: the roots
    // Node sizes of valid items that show children: their cached size is the whole subtree's, and
    // walks would otherwise measure their text again on every paint and hit test. Leaves need no
    // entry, since their cached size is their node's.
    std::unordered_map<const XTreeItem *, QSize> m_parentNodes;
    mutable std::optional<QFontMetrics> m_controlMetrics;
    mutable QFont m_metricsFont;
    mutable std::optional<QFontMetrics> m_itemMetrics;
    mutable QFont m_itemMetricsFont;
};

// The leftmost root of the model, where every walk begins.
XTreeItem *firstRootOf(const XTreeModel &model) noexcept;

} // namespace arbor
