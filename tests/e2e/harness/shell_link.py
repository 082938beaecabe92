"""Reading a shell-link (.lnk) file the way the shell resolves it: the target
path from the link-information block (local base path + common path suffix),
which IShellLinkA::GetPath reports for a link to a local file."""

import struct
from dataclasses import dataclass
from pathlib import Path

_HEADER_SIZE = 0x4C
_LINK_CLSID = bytes.fromhex("0114020000000000c000000000000046")
_HAS_ID_LIST = 0x01
_HAS_LINK_INFO = 0x02
_VOLUME_ID_AND_LOCAL_BASE_PATH = 0x01


class ShellLinkError(ValueError):
    pass


@dataclass
class ShellLink:
    target: str  # the local path the link points at, "" when it names none
    flags: int


def _c_string(data: bytes, offset: int, encoding: str) -> str:
    end = data.find(b"\0", offset)
    if end < 0:
        raise ShellLinkError("unterminated string in the link information")
    return data[offset:end].decode(encoding)


def _wide_string(data: bytes, offset: int) -> str:
    end = offset
    while end + 1 < len(data) and data[end:end + 2] != b"\0\0":
        end += 2
    return data[offset:end].decode("utf-16-le")


def read_shell_link(path, encoding: str = "gbk") -> ShellLink:
    """`encoding` is the ANSI code page the link was written under."""
    data = Path(path).read_bytes()
    if len(data) < _HEADER_SIZE or struct.unpack_from("<I", data)[0] != _HEADER_SIZE or data[4:20] != _LINK_CLSID:
        raise ShellLinkError(f"{path}: not a shell link")
    flags, = struct.unpack_from("<I", data, 0x14)
    offset = _HEADER_SIZE
    if flags & _HAS_ID_LIST:
        size, = struct.unpack_from("<H", data, offset)
        offset += 2 + size
    target = ""
    if flags & _HAS_LINK_INFO:
        if offset + 28 > len(data):
            raise ShellLinkError(f"{path}: link information cut short")
        info = data[offset:]
        size, header_size, info_flags, _, base_offset, _, suffix_offset = struct.unpack_from("<7I", info)
        info = info[:size]
        if info_flags & _VOLUME_ID_AND_LOCAL_BASE_PATH:
            if header_size >= 0x24:  # Unicode copies of both strings follow the ANSI offsets
                base_wide, suffix_wide = struct.unpack_from("<2I", info, 28)
                target = _wide_string(info, base_wide) + _wide_string(info, suffix_wide)
            else:
                target = _c_string(info, base_offset, encoding) + _c_string(info, suffix_offset, encoding)
    return ShellLink(target=target, flags=flags)
