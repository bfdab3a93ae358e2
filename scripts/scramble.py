"""The scrambling stream of the picture and text data files, shared by the scripts that make
such files (XOR with a linear congruential generator; applying it twice gives the input back)."""


def scramble(data, seed):
    out = bytearray(data)
    state = seed & 0xFFFFFFFF
    for i in range(len(out)):
        state = (state * 1103515245 + 12345) & 0xFFFFFFFF
        out[i] ^= ((state >> 16) & 0x7FFF) >> 8
    return bytes(out)
