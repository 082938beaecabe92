"""What the reference server's log says it sent: one entry per HTTP answer
for a path, with the ranges asked for, the status and the body bytes sent
(also of an answer cut off).

    answers = served(server.log_lines())
    fetched = sum(a.sent for a in answers if a.path.endswith("big.pak"))"""

import re
from dataclasses import dataclass

_ANSWER = re.compile(r" http (?:GET|HEAD) (\S+)(?: bytes=(\S+))? (\d{3}) (?:sent (\d+)|aborted after (\d+)|aborted)")


@dataclass
class Answer:
    path: str
    ranges: list  # [(first, last), ...]; empty when the whole file was asked for
    status: int
    sent: int
    whole: bool  # sent to its end (not cut off)


def served(log_lines) -> list:
    answers = []
    for line in log_lines:
        match = _ANSWER.search(line)
        if not match:
            continue
        ranges = [tuple(int(n) for n in item.split("-")) for item in match.group(2).split(",")] \
            if match.group(2) else []
        answers.append(Answer(match.group(1), ranges, int(match.group(3)),
                              int(match.group(4) or match.group(5) or 0), match.group(4) is not None))
    return answers


def sent_for(answers, path_end: str) -> int:
    """Body bytes sent for the file whose path ends so, and for its chunk index."""
    return sum(a.sent for a in answers if a.path.endswith(path_end) or a.path.endswith(path_end + ".chunks"))
