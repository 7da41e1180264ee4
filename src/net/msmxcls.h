#pragma once
// The data pieces of the MX resolver: one mail-exchanger record, the list of
// them that a lookup fills, and the DNS header flags word.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tw {

// One mail exchanger: its preference (smaller is preferred) and its host name
// with a dot after every label ("mx1.example.org.").
struct TMXRec {
    uint16_t Preference = 0;
    std::string Exchange;
};

// The mail exchangers of one lookup. Owns its records.
class TMXList {
public:
    int Count() const { return static_cast<int>(m_items.size()); }

    // The record at Index (0-based); Index must be below Count().
    const TMXRec &Items(int index) const { return *m_items.at(static_cast<size_t>(index)); }
    const TMXRec &operator[](int index) const { return Items(index); }

    // Removes (and frees) every record.
    void Clear() { m_items.clear(); }

    // Appends a record at the end.
    void Add(uint16_t preference, const std::string &exchange);

    // Orders the records by Preference, smallest first. Records with equal
    // preferences never trade places with each other, so for equal
    // preferences the server's order survives when they are adjacent.
    void Sort();

private:
    std::vector<std::unique_ptr<TMXRec>> m_items;
};

// The 16-bit flags word of a DNS message header and its fields.
class TQuerySpec {
public:
    TQuerySpec() = default;
    explicit TQuerySpec(uint16_t flags) : Flags(flags) {}

    uint16_t Flags = 0;

    bool QR() const { return bit(15); }           // 1 = response, 0 = query
    int Opcode() const { return (Flags >> 11) & 0x0F; }
    bool AA() const { return bit(10); }           // authoritative answer
    bool TC() const { return bit(9); }            // truncated
    bool RD() const { return bit(8); }            // recursion desired
    bool RA() const { return bit(7); }            // recursion available
    int RCODE() const { return Flags & 0x0F; }    // response code

    void setQR(bool on) { setBit(15, on); }
    void setOpcode(int opcode) { Flags = static_cast<uint16_t>((Flags & ~0x7800) | ((opcode & 0x0F) << 11)); }
    void setAA(bool on) { setBit(10, on); }
    void setTC(bool on) { setBit(9, on); }
    void setRD(bool on) { setBit(8, on); }
    void setRA(bool on) { setBit(7, on); }
    void setRCODE(int rcode) { Flags = static_cast<uint16_t>((Flags & ~0x000F) | (rcode & 0x0F)); }

private:
    bool bit(int n) const { return (Flags >> n) & 1; }
    void setBit(int n, bool on)
    {
        Flags = static_cast<uint16_t>(on ? (Flags | (1u << n)) : (Flags & ~(1u << n)));
    }
};

} // namespace tw
