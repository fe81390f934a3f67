#!/usr/bin/env python3
"""A lossy UDP relay on loopback for the network tests: the client sends to LISTEN_PORT (0: one
the system picks, printed), the server is at SERVER_PORT. Each way, a datagram is dropped with probability --loss, else
delivered after --delay ms (up to 30 more when reordered, chance --reorder), sometimes twice
(--duplicate), by a seeded generator (--seed); the relay ends after --lifetime seconds."""
import argparse
import heapq
import itertools
import random
import select
import socket
import time

parser = argparse.ArgumentParser()
parser.add_argument("listen", type=int)
parser.add_argument("server", type=int)
for option in ("delay", "loss", "duplicate", "reorder"):
    parser.add_argument("--" + option, type=float, default=0)
parser.add_argument("--seed", type=int, default=1)
parser.add_argument("--lifetime", type=float, default=300)
args = parser.parse_args()

rng = random.Random(args.seed)
front, back = (socket.socket(socket.AF_INET, socket.SOCK_DGRAM) for _ in range(2))
front.bind(("127.0.0.1", args.listen))
print(front.getsockname()[1], flush=True)
back.bind(("127.0.0.1", 0))
server = ("127.0.0.1", args.server)
client = None
queue = []  # (due time, order, socket, address, datagram)
order = itertools.count()
end = time.monotonic() + args.lifetime


def schedule(sock, address, data):
    if rng.random() < args.loss:
        return
    for _ in range(2 if rng.random() < args.duplicate else 1):
        late = rng.uniform(0, 30) if rng.random() < args.reorder else 0
        heapq.heappush(queue, (time.monotonic() + (args.delay + late) / 1000, next(order), sock, address, data))


while time.monotonic() < end:
    timeout = max(0, min(0.05, queue[0][0] - time.monotonic())) if queue else 0.05
    readable, _, _ = select.select([front, back], [], [], timeout)
    for sock in readable:
        data, source = sock.recvfrom(65536)
        if sock is front:
            client = source
            schedule(back, server, data)
        elif client is not None:
            schedule(front, client, data)
    while queue and queue[0][0] <= time.monotonic():
        _, _, sock, address, data = heapq.heappop(queue)
        sock.sendto(data, address)
