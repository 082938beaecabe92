#!/usr/bin/env python3
"""Reads a Prometheus text page on stdin with the reference parser and prints one
line per sample, `name{label="value",...} value` with labels sorted, then one
`# TYPE family type` line per family; exits 1 when the page does not parse."""
import sys

from prometheus_client.parser import text_string_to_metric_families

try:
    families = list(text_string_to_metric_families(sys.stdin.read()))
except Exception as error:  # the parser raises ValueError and others on bad input
    print(f"unparsable: {error}")
    sys.exit(1)
for family in families:
    print(f"# TYPE {family.name} {family.type}")
    for sample in family.samples:
        labels = ",".join(f'{key}="{value}"' for key, value in sorted(sample.labels.items()))
        print(f"{sample.name}{{{labels}}} {sample.value:g}")
