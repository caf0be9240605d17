#include "send/dcmNodeObject.h"

dcmNodeObject* dcmNodeObject::create()
{
    auto* node = new dcmNodeObject();
    node->autorelease();
    return node;
}

dcmNodeObject* dcmNodeObject::create(const NeighborRecord& record)
{
    dcmNodeObject* node = create();
    static_cast<NeighborRecord&>(*node) = record;
    return node;
}
