#!/usr/bin/env python3
"""Writes a deterministic hosts file of 1,000,000 lines for the benchmarks: shaped like the
published blocklists (one blocked name a line, mapped to 0.0.0.0) but with CR LF line ends and
Russian comments in Windows-1251, as a hosts file edited on a Russian Windows has.
Usage: make-hosts-1m.py OUT [LINES]"""
import random
import sys

out = sys.argv[1]
count = int(sys.argv[2]) if len(sys.argv) > 2 else 1_000_000
rnd = random.Random(1251)
syl = ["ad", "ads", "track", "stat", "pixel", "metric", "count", "click", "beacon", "tag", "cdn", "srv",
       "log", "analytic", "promo", "banner", "pop", "smart", "data", "insight", "media", "net", "web"]
tlds = ["com", "net", "org", "ru", "info", "biz", "io", "de", "xyz", "top", "online", "site", "рф"]
notes = ["# Реклама и счётчики", "# Блокировка трекеров, добавлено вручную", "# Всплывающие окна",
         "# Аналитика — не отключать без проверки", "# Баннерные сети (обновлено)"]
lines = ["# Файл HOSTS для проверки скорости: сгенерирован, имена случайные.", "#",
         "127.0.0.1       localhost", "::1             localhost", ""]
while len(lines) < count:
    r = rnd.random()
    if r < 0.02:
        lines.append(rnd.choice(notes))
    elif r < 0.025:
        lines.append("")
    else:
        parts = []
        for _ in range(rnd.choice([1, 2, 2, 3, 3, 4])):
            w = "".join(rnd.choice(syl) for _ in range(rnd.choice([1, 1, 2])))
            if rnd.random() < 0.3:
                w += str(rnd.randint(1, 999))
            parts.append(w)
        line = "0.0.0.0 " + ".".join(parts) + "." + rnd.choice(tlds)
        if rnd.random() < 0.01:
            line += "  # " + rnd.choice(notes)[2:].lower()
        lines.append(line)
with open(out, "wb") as f:
    f.write(("\r\n".join(lines) + "\r\n").encode("cp1251"))
