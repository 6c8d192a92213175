"""pymssql (FreeTDS's DB-Library) against the listener that com_servidor.sh started:
results, a server error's number and a procedure's OUTPUT parameter and RETURN value."""
import os
import sys

import pymssql

falhas = []


def esperar(nome, obtido, esperado):
    if obtido != esperado:
        falhas.append(f"{nome}: {obtido!r} em vez de {esperado!r}")


con = pymssql.connect(server="127.0.0.1", port=int(os.environ["ZOLVEK_TDS_PORTA"]),
                      user="sa", password="", database="Teste", autocommit=True)
cur = con.cursor()
cur.execute("CREATE TABLE ItemPy (id int PRIMARY KEY, nome nvarchar(20), preco money)")
cur.executemany("INSERT INTO ItemPy VALUES (%d, %s, %s)", [(1, "Pão", "2.50"), (2, "Café", "7.10")])
cur.execute("SELECT id, nome, preco FROM ItemPy WHERE id >= %d ORDER BY id", (1,))
linhas = [(i, n, str(p)) for i, n, p in cur.fetchall()]
esperar("linhas", linhas, [(1, "Pão", "2.5000"), (2, "Café", "7.1000")])

try:
    cur.execute("INSERT INTO ItemPy VALUES (1, 'repetido', 0)")
    falhas.append("a chave repetida não falhou")
except pymssql.IntegrityError as e:
    esperar("número do erro", e.args[0], 2627)

cur.execute("CREATE PROCEDURE TotalPy @minimo int, @total money OUTPUT AS "
            "BEGIN SELECT @total = SUM(preco) FROM ItemPy WHERE id >= @minimo; RETURN 5 END")
resultado = cur.callproc("TotalPy", (1, pymssql.output(float)))
esperar("OUTPUT", resultado[1], 9.6)

if falhas:
    print("\n".join(falhas), file=sys.stderr)
    sys.exit(1)
print("pymssql: 3 verificações passaram")
