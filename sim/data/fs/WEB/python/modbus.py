# Answers Modbus/TCP reads of holding registers 0-9 with the last sensor values.
import socket

registers = [0] * 10
server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
server.bind(("", 502))
server.listen(1)
while True:
    client, _ = server.accept()
    request = client.recv(12)
    if len(request) == 12 and request[7] == 3:
        count = min(request[11], 10)
        body = b"".join(r.to_bytes(2, "big") for r in registers[:count])
        header = request[:4] + (3 + len(body)).to_bytes(2, "big") + request[6:8]
        client.send(header + bytes([len(body)]) + body)
    client.close()
