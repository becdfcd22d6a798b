#pragma once

namespace vcx {

// Releases every interface the active slot holds, in the slot's fixed order,
// and sets each field to null; then releases the frame counter and forgets
// the pending graph events. Makes no other call on any object and changes
// neither the slot's state nor its output mode.
void releaseSlot();

} // namespace vcx
