#pragma once

// The tints that carry meaning (a state, a kind of row); everything else takes the
// style's palette.

#include <QColor>

namespace tarvel::tint {

inline const QColor secondary{0x8a, 0x8a, 0x8e};
inline const QColor orange{0xf0, 0x8a, 0x00};
inline const QColor green{0x28, 0xa7, 0x45};
inline const QColor blue{0x1a, 0x73, 0xe8};

} // namespace tarvel::tint
