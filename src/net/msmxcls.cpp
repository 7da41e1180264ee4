#include "net/msmxcls.h"

#include <utility>

namespace tw {

void TMXList::Add(uint16_t preference, const std::string &exchange)
{
    auto record = std::make_unique<TMXRec>();
    record->Preference = preference;
    record->Exchange = exchange;
    m_items.push_back(std::move(record));
}

void TMXList::Sort()
{
    // A plain exchange sort: each position takes the smallest preference
    // found after it, swapping only on a strictly smaller value.
    for (size_t i = 0; i < m_items.size(); ++i) {
        uint16_t smallest = m_items[i]->Preference;
        for (size_t j = i + 1; j < m_items.size(); ++j) {
            if (m_items[j]->Preference < smallest) {
                std::swap(m_items[i], m_items[j]);
                smallest = m_items[i]->Preference;
            }
        }
    }
}

} // namespace tw
