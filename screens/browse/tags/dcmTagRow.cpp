#include "tags/dcmTagRow.h"

dcmTagRow* dcmTagRow::create(std::string tag, std::string intro, std::string value)
{
    auto* row = new dcmTagRow();
    row->tagText = std::move(tag);
    row->introText = std::move(intro);
    row->valueText = std::move(value);
    row->autorelease();
    return row;
}
