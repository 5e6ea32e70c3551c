"""The request frames vivori-ctl --debug dumps: "命令", then 64 bytes on two lines."""


def written(path, command):
    """The bytes the frames of one write command put at each offset, as bytes in order."""
    lines = open(path, encoding="utf-8").read().split("\n")
    frames = [bytes.fromhex(" ".join(lines[i + 1:i + 3]))
              for i, line in enumerate(lines) if line == "命令"]
    memory = {}
    for f in frames:
        if f[3] == command:
            for i in range(f[4]):
                memory[(f[5] | f[6] << 8) + i] = f[8 + i]
    return bytes(memory[i] for i in sorted(memory))
