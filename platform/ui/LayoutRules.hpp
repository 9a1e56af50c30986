#pragma once

#include "platform/ui/NodePayloads.hpp"
#include "platform/ui/Types.hpp"

#include <optional>

namespace ui::layout {

// The small rules the layout engine is made of: standard lengths, lengths along and across
// an axis, alignment offsets, insets, and what frames and scroll views offer their
// children. Pure functions; any thread.

inline constexpr double standardSpacing = 8;
// A toggle's switch, drawn at the trailing edge of its row.
inline constexpr Size switchSize{32, 18};
// A symbol's square side for a font size.
double symbolSide(double pointSize);
// The font text gets in an environment.
Font effectiveFont(const EnvironmentValues& environment);

double along(Size size, Axis axis);
double across(Size size, Axis axis);
std::optional<double> along(ProposedSize p, Axis axis);
std::optional<double> across(ProposedSize p, Axis axis);
ProposedSize proposal(Axis axis, std::optional<double> alongLength, std::optional<double> acrossLength);

double alignOffset(HorizontalAlignment alignment, double available, double used);
double alignOffset(VerticalAlignment alignment, double available, double used);
// A child of that size placed in the frame by the alignment.
Rect aligned(Size child, const Rect& frame, Alignment alignment);

// The room around a button's label for its style and control size.
EdgeInsets buttonInsets(const EnvironmentValues& environment);
Rect insetRect(const Rect& frame, const EdgeInsets& insets);
ProposedSize inset(ProposedSize p, const EdgeInsets& insets);

// A flexible frame's length on one axis, from the offer, its child's length and its bounds.
double flexibleLength(std::optional<double> offered, double child, std::optional<double> minimum,
                      std::optional<double> ideal, std::optional<double> maximum);
// What a fixed frame offers its child: its own lengths, and the offer it got on a free axis.
ProposedSize fixedFrameOffer(const FrameData& data, ProposedSize p);
// What a flexible frame offers its child: the offer (or its ideal) clamped to its bounds.
ProposedSize flexibleFrameOffer(const FlexibleFrame& frame, ProposedSize p);
// A scroll view offers its content its width and an unbounded height.
ProposedSize scrollContentOffer(ProposedSize p);

}  // namespace ui::layout
