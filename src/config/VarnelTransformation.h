// Base of the items that reshape ink values through two 65,536-entry curves
// drawn once at load time (light masks, second colours, colour substitution,
// colour addition), and the line drawing that builds those curves.
#pragma once

#include "config/VarnelItem.h"
#include "config/VarnelTable.h"

#include <cstdint>

constexpr int kTableSize = int(CVarnelTable::kEntries);

class CVarnelTransformation : public CVarnelItem {
public:
    CVarnelTransformation();
    ~CVarnelTransformation() override;
    void Initialize() override;
    // Clears both tables; the four integers stay.
    void Reset() override;

    virtual void SetNumber(int32_t number);
    virtual void SetParam1(int32_t value);
    virtual void SetParam2(int32_t value);
    virtual void SetParam3(int32_t value);
    virtual int32_t GetNumber() const;
    virtual int32_t GetParam1() const;
    virtual int32_t GetParam2() const;
    virtual int32_t GetParam3() const;
    virtual uint16_t* GetTableB();
    virtual uint16_t* GetTableA();

    // Non-virtual reads for the per-pixel path.
    uint16_t TableA(uint16_t v) const { return m_tableA[v]; }
    uint16_t TableB(uint16_t v) const { return m_tableB[v]; }

protected:
    CVarnelTable m_tableA;
    CVarnelTable m_tableB;
    int32_t m_param1 = 0;
    int32_t m_number = 0;
    int32_t m_param2 = 0;
    int32_t m_param3 = 0;
};

// Draws the straight line from (x1, y1) to (x2, y2) into a 65,536-entry
// table along WalkLine: entry x receives y (low 16 bits); where several
// points share an x the last one written stays; entries no point reaches
// keep their value. Points whose x lies outside 0..65535 are not written.
// Nothing is drawn while a CVarnelCurvePause lives on the thread.
void DrawTableLine(uint16_t* table, int x1, int y1, int x2, int y2);
