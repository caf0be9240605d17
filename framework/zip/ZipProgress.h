#pragma once
// Progress of a running pack, announced to the busy overlay.

namespace NSUI {

/// Notification id of task progress (int value: percent done).
constexpr unsigned kZipProgressNotification = 1001;

/// Posts 1001 with the percent done for the next tick (no sender, no object).
void postZipProgress(int percent);

} // namespace NSUI
