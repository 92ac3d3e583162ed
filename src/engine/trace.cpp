// The run trace; see trace.h. Numbers go through std::to_chars, so the output
// never depends on the locale of the process.
#include "engine/trace.h"

#include <charconv>
#include <string_view>

namespace {

// A frame draws at most a few dozen stamps (eleven balls, their trails and a
// restore); this covers them all without the vector ever growing in a run.
constexpr std::size_t kOpsReserved = 512;

// Balls are numbered from 0, so a restore is marked with a value no ball has.
constexpr int kRestore = -1;

void put(std::ostream& out, std::string_view text) { out.write(text.data(), std::streamsize(text.size())); }

template <typename Int>
void put_number(std::ostream& out, Int value)
{
    char digits[24];
    auto result = std::to_chars(digits, digits + sizeof digits, value);
    out.write(digits, result.ptr - digits);
}

} // namespace

Trace::Trace(std::ostream& out) : m_out(out) { m_ops.reserve(kOpsReserved); }

void Trace::start(int width, int height, std::uint64_t seed, int speed, int pcspec, int order,
                  int background)
{
    put(m_out, "{\"ev\":\"start\",\"width\":");
    put_number(m_out, width);
    put(m_out, ",\"height\":");
    put_number(m_out, height);
    put(m_out, ",\"seed\":");
    put_number(m_out, seed);
    put(m_out, ",\"speed\":");
    put_number(m_out, speed);
    put(m_out, ",\"pcspec\":");
    put_number(m_out, pcspec);
    put(m_out, ",\"order\":");
    put_number(m_out, order);
    put(m_out, ",\"background\":");
    put_number(m_out, background);
    put(m_out, "}\n");
}

void Trace::compose(int highlight_style)
{
    put(m_out, "{\"ev\":\"compose\",\"style\":");
    put_number(m_out, highlight_style);
    put(m_out, "}\n");
}

void Trace::tick(std::int64_t n, int kind, bool enabled)
{
    put(m_out, "{\"ev\":\"tick\",\"n\":");
    put_number(m_out, n);
    put(m_out, ",\"kind\":");
    put_number(m_out, kind);
    put(m_out, enabled ? ",\"enabled\":true}\n" : ",\"enabled\":false}\n");
}

void Trace::opening() { put(m_out, "{\"ev\":\"opening\"}\n"); }

void Trace::action(int kind)
{
    put(m_out, "{\"ev\":\"action\",\"kind\":");
    put_number(m_out, kind);
    put(m_out, "}\n");
}

void Trace::closing(int mode, int pivot)
{
    put(m_out, "{\"ev\":\"closing\",\"mode\":");
    put_number(m_out, mode);
    put(m_out, ",\"pivot\":");
    put_number(m_out, pivot);
    put(m_out, "}\n");
}

void Trace::restore() { m_ops.push_back({kRestore, 0, 0, 0, 0}); }

void Trace::ball(int ball, int x, int y, int w, int h) { m_ops.push_back({ball, x, y, w, h}); }

void Trace::frame(int pause_ms)
{
    ++m_frame;
    put(m_out, "{\"ev\":\"frame\",\"n\":");
    put_number(m_out, m_frame);
    put(m_out, ",\"ops\":[");
    bool first = true;
    for (const Op& op : m_ops) {
        if (!first)
            put(m_out, ",");
        first = false;
        if (op.ball == kRestore) {
            put(m_out, "[\"R\"]");
            continue;
        }
        put(m_out, "[\"B\",");
        put_number(m_out, op.ball);
        put(m_out, ",");
        put_number(m_out, op.x);
        put(m_out, ",");
        put_number(m_out, op.y);
        put(m_out, ",");
        put_number(m_out, op.w);
        put(m_out, ",");
        put_number(m_out, op.h);
        put(m_out, "]");
    }
    put(m_out, "],\"pause\":");
    put_number(m_out, pause_ms);
    put(m_out, "}\n");
    m_ops.clear(); // keeps the capacity
}

void Trace::sleep(int ms)
{
    put(m_out, "{\"ev\":\"sleep\",\"ms\":");
    put_number(m_out, ms);
    put(m_out, "}\n");
}

void Trace::flush() { m_out.flush(); }
