// Whether anything the saver draws on a Wayland compositor can be seen: the
// compositor asks for each frame of a window it shows (a frame callback),
// and stops asking while it shows the window nowhere or its output sleeps;
// where it offers the wlr output power protocol, an output's power is
// known at once, without waiting for a frame.
#include "host/wayland/wayland_host_impl.h"

#include <algorithm>

namespace host::wl {

namespace {

constexpr std::uint32_t kOutputPowerVersion = 1;

void power_mode(void* data, zwlr_output_power_v1*, std::uint32_t mode)
{
    static_cast<Output*>(data)->powered_off = mode == ZWLR_OUTPUT_POWER_V1_MODE_OFF;
}

// The compositor will tell nothing more of this output's power (the output
// went, or another client holds its power): judge it by its frames alone.
void power_failed(void* data, zwlr_output_power_v1*)
{
    auto* output = static_cast<Output*>(data);
    output->powered_off = false;
    destroy_proxy(output->power, zwlr_output_power_v1_destroy);
}

const zwlr_output_power_v1_listener kPowerListener = {power_mode, power_failed};

} // namespace

void WaylandHost::bind_power_manager(wl_registry* registry, std::uint32_t name, std::uint32_t version)
{
    if (m_power_manager)
        return;
    m_power_manager = static_cast<zwlr_output_power_manager_v1*>(
        wl_registry_bind(registry, name, &zwlr_output_power_manager_v1_interface,
                         std::min(version, kOutputPowerVersion)));
    for (auto& output : m_outputs)
        watch_power(*output);
}

void WaylandHost::watch_power(Output& output)
{
    // Only asks: the saver never sets an output's power.
    if (!m_power_manager || output.power || !output.output)
        return;
    output.power = zwlr_output_power_manager_v1_get_output_power(m_power_manager, output.output);
    zwlr_output_power_v1_add_listener(output.power, &kPowerListener, &output);
}

std::optional<std::string_view> WaylandHost::hidden_cause()
{
    if (const Output* figure = figure_output(); figure && figure->powered_off)
        return "the output is powered off";
    // A window taken off the screen owes nothing: no callback will come for it.
    if (m_drawn && alive(m_drawn) && m_drawn->mapped() && m_drawn->owes_frame())
        return "the compositor asks for no frame (the window is shown nowhere)";
    return std::nullopt;
}

} // namespace host::wl
