#pragma once
// One row of the send screen's node table: a known or discovered DICOM node, the row for
// typing an address, or the row showing this computer's own address.

#include "cocos2d.h"
#include "db/NeighborRecord.h"

/// The node's fields are those of a stored node, with a new node's defaults; wifi is the local
/// time it last answered, appid its installation identifier ("localip" and "input" for the two
/// fixed rows).
class dcmNodeObject : public cocos2d::Ref, public NeighborRecord {
public:
    enum RowKind { kNode = 0, kTypedAddress = 1, kLocalAddress = 2 };

    /// Autoreleased, with a new node's defaults.
    static dcmNodeObject* create();
    /// Autoreleased copy of a stored node, as a node row that was never sent to.
    static dcmNodeObject* create(const NeighborRecord& record);

    /// Non-zero once a send was started from this row in this opening, or for a row that can
    /// never be sent to.
    int sendStarted = 0;
    int rowKind = kNode;
};
