#pragma once

#include <cstdint>
#include <ostream>
#include <vector>

// The run trace: one JSON object per line, in the order things happen. The
// compositor's own primitives write it, so it is complete by construction;
// the saver holds a null Trace pointer when tracing is off and then pays
// nothing for it.
class Trace {
public:
    explicit Trace(std::ostream& out);

    void start(int width, int height, std::uint64_t seed, int speed, int pcspec, int order,
               int background);
    void compose(int highlight_style);
    void tick(std::int64_t n, int kind, bool enabled);
    void opening();
    void action(int kind);
    void closing(int mode, int pivot);

    // Drawing on the visible frame since the previous frame, gathered into the
    // next "frame" line.
    void restore();
    void ball(int ball, int x, int y, int w, int h);
    // One presented frame with the pause that follows it. Frames count from
    // 1, in 64 bits: a saver left running for months passes 2^31 frames.
    void frame(int pause_ms);
    void sleep(int ms);

    std::int64_t frames_written() const { return m_frame; }
    void flush();

private:
    struct Op {
        int ball; // -1 for a restore (balls are numbered from 0)
        int x, y, w, h;
    };
    std::ostream& m_out;
    std::vector<Op> m_ops; // reserved once; cleared, never shrunk, per frame
    std::int64_t m_frame = 0;
};
