#include "sim/radio_sim_options.h"

namespace zorveth::sim {

std::string RadioSimHelp() {
  return R"(Usage: radio-sim [options]

Serves a simulated radio pair (a Server and a Client radio sharing one serial
line) on a pseudo-terminal, for the tool's tests, the demo and work without
hardware. Prints the terminal's path (e.g. /dev/pts/7) on one line, or with
--link the port-map entry it made, then serves until SIGINT or SIGTERM.

Global options:
  --link COM<n>             link the terminal into the port map as COM<n>:
                            ${XDG_CONFIG_HOME:-$HOME/.config}/zorveth/ports/COM<n>
                            (replaces a link of that name; removed on exit) and
                            print "COM<n> -> /dev/pts/N"
  --log FILE                write every byte on the line to FILE, one line each:
                            time_us in|out|lost speed heard-by 0xHH char roles
  --state FILE              on exit, write both radios' final settings to FILE
                            as "server.channel = 67" style lines
  --hang-up-after N         close the line once N bytes have arrived from the
                            tool, as if the device were unplugged
  --exit-after-seconds S    stop by itself after S seconds (fractions allowed)
  --help                    show this text
  --version                 print the program's name and version

Radio options, each for --server-... (the radio that starts as Server) or
--client-... (the one that starts as Client):
  speed N                   serial speed: 2400, 4800, 9600, 19200 (default) or 38400
  channel N                 register C (default 67)
  packet-length N           register FP (default 262)
  system-id N               register ID (default 111)
  broadcast-attempts N      register BA (default 4)
  signal N                  register S (default 87)
  signal-cycle LIST         register S takes the values of LIST (e.g. 80,75,90)
                            in turn, a new one every second
  signal-step MS|query      with signal-cycle: a new value every MS milliseconds,
                            or for every query of S answered
  revision N                register REV (default 204)
  role server|client        role, register M (defaults: server, client)
  off                       switched off: hears nothing, says nothing
  reply-delay MS            delay before each reply (default 2)
  no-prompt                 enters command mode on its escape but sends no prompt
  partial-prompt            prompt with only three carriage returns
  no-echo                   does not echo command lines
  no-query-replies          echoes register queries but sends no value
  write-reply TEXT          answers configuration and initialization lines with
                            TEXT instead of "Write successful\n\r" (the settings
                            are then not applied); \r \n \t \\ \xHH are understood
  query-reply TEXT          answers register queries with TEXT (e.g. "1x7\n\r")
  no-exit-confirmation      silent to ATE (still leaves command mode)

Numbers are decimal; registers take 0 to 65535. Options may also be written
--name=value. A bad option prints one line on stderr and exits with status 2.

Examples:
  radio-sim --client-speed 9600 --log /tmp/line.log
  radio-sim --link COM3 --server-no-prompt --exit-after-seconds 30
  radio-sim --link COM9 --server-signal-cycle 60,70,80,90,80,70 --client-signal-cycle 50,55
  radio-sim --client-write-reply 'Timed out\n\r' --state /tmp/radios.state
)";
}

}  // namespace zorveth::sim
