// The variables of one configuration: text variables and numeric variables,
// each in a list in insertion order.
#pragma once

#include <list>
#include <string>

constexpr int kVarNameRoom = 50;   // 49 characters and the terminator
constexpr int kVarTextRoom = 134;  // 133 characters and the terminator

// A definition handed to the container.
struct CVar {
    virtual ~CVar();
    char name[kVarNameRoom] = {};
    char kind = 0;  // 'n' numeric, 'a' text
    std::string value;
};

class CAplhaVar {
public:
    virtual ~CAplhaVar();
    char name[kVarNameRoom] = {};
    char value[kVarTextRoom] = {};
};

class CNumericVar {
public:
    virtual ~CNumericVar();
    char name[kVarNameRoom] = {};
    double value = 0.0;
};

class CVarnelVarContainer {
public:
    CVarnelVarContainer();
    virtual ~CVarnelVarContainer();
    // Adds a variable built from the record. Returns 0 when added, -1 when
    // the record was not taken (unknown kind, text too long).
    virtual int AddVar(const CVar& record);
    // Writes the value text of the variable `name` into destination, which
    // has room for `room` characters plus a terminator. On a hit room
    // receives the length written. Nothing matched: destination unchanged.
    virtual void LookupVar(const char* name, char* destination, int& room);
    virtual std::list<CAplhaVar*>& GetTextVars();
    virtual std::list<CNumericVar*>& GetNumericVars();
    virtual void ResetAll();
    virtual void ResetText();
    virtual void Reinitialize();
    virtual void ClearVars();

private:
    std::list<CAplhaVar*> m_textVars;
    std::list<CNumericVar*> m_numericVars;
};
