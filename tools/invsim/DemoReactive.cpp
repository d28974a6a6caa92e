// The reactive and active power settings of the demonstration inverter: a low-voltage grid code
// of 230 V with cos φ(P) control, a Q(U) curve between 207 and 253 V, a voltage-dependent power
// reduction and a 70 % export limit. Positive reactive words are inductive.
#include "tools/invsim/Demo.h"

#include <initializer_list>

namespace invsim {

namespace {
constexpr std::uint16_t Neg(int v) { return static_cast<std::uint16_t>(-v); }
} // namespace

void LoadDemoReactive(Inverter& inv)
{
    struct Block {
        int first;
        std::initializer_list<std::uint16_t> words;
    };
    const Block holding[] = {
        // Mode cos(φ) of P; fixed cos φ 0.95 inductive; cos φ(P) 0.90 inductive at full power,
        // 1 below half power.
        {33616, {2, 95, 0, 90, 100, 50, 100, 0}},
        // Fixed Q 10 % capacitive; Q(U): 44 % capacitive at 207.0 V, 44 % inductive at 253.0 V,
        // dead band 218.5..241.5 V, hysteresis 2.0 V; response time 10.00 s; lock-in 20 %,
        // lock-out 5 %; response delay 5 s.
        {33624, {Neg(10), 0, Neg(44), 44, 2070, 2530, 2185, 2415, 20, 1000, 0, 0, 20, 5, 500}},
        // No reactive power at night.
        {48766, {0}},
        // The same cos φ limits in thousandths.
        {48795, {950, 900, 1000}},
        // Lock-in and lock-out voltages of cos φ(P): 241.5 V and 230.0 V.
        {48786, {2415, 2300}},
        // Voltage suppression from 248.0 V at PF 0.90, to 80 % at 253.0 V.
        {48790, {2480, 90, 2530, 80}},
        // Q by night: on, 10 %; Q(P) night curve 44 / -44 % between 100 and 20 %, 241.5 / 230.0 V;
        // Q(U) night curve as by day; response 10.00 s.
        {48798, {1, 10, 44, Neg(44), 100, 20, 2415, 2300, 44, Neg(44), 2070, 2530, 2185, 2415, 20, 5, 20, 1000}},
        // cos φ(U): 0.900 inductive to 0.900 capacitive over the same voltages.
        {48817, {900, Neg(900), 2070, 2530, 2185, 2415, 20, 5}},
        // Q(P) at night: rated power, three points: none up to 50 %, 33.0 % inductive at 100 %.
        {48826, {0, 3, 0, 0, 500, 0, 1000, 330, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        // Extended cos φ(P): four points, cos φ 100.0 % up to half power, 90.0 % inductive at full.
        {48848, {4, 0, 1000, 200, 1000, 500, 1000, 1000, 900, 0, 0, 0, 0, 0, 0, 0, 0}},
        // Q(P) by day: actual power, four points down to 33.0 % capacitive at full power.
        {48865, {1, 4, 200, 0, 500, 0, 700, Neg(100), 1000, Neg(330), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        // Active power: limit on at 70 %, ramp 10 %, slope 60 s.
        {798, {1, 70}},
        {864, {10}},
        {48514, {60}},
        // P(U): on, recovery 60 s, lock-in 20 %, lock-out 5 %, 253.0 V / 248.0 V; the stop
        // voltage at 48551 is the AU/NZ block's; end power 20 %; response 3.00 s.
        {48544, {1, 60, 20, 5, 2530, 2480}},
        {48552, {20}},
        {48783, {300}},
        // Active power control of the Japanese-market models: rated, 100 %, slope 180.
        {25361, {1, 100, 180}},
    };
    for (const Block& b : holding) {
        int reg = b.first;
        for (std::uint16_t w : b.words)
            inv.SetHolding(reg++, w);
    }
}

} // namespace invsim
