#include "ambiente.hpp"
#include "comum/erros.hpp"
class Rascunho : public SimuladorTeste {};
TEST_F(Rascunho, B) {
    Sql("CREATE TABLE T (id INT IDENTITY(1,1) NOT NULL, v INT NULL)");
    Sql("CREATE TABLE D (id DECIMAL(10,0) IDENTITY(1,1) NOT NULL, v INT NULL)");
    Sql("SET IDENTITY_INSERT T ON");
    for (const char* q : {"INSERT INTO T (id, v) VALUES ('abc', 1)", "INSERT INTO T (id, v) VALUES (1.5, 1)",
                          "INSERT INTO T (id, v) VALUES ('7', 1)",
                          "INSERT INTO T (id, v) VALUES (0x01, 1)",
                          "INSERT INTO T (id, v) VALUES (99999999999, 1)",
                          "INSERT INTO T (id, v) SELECT 'x', 2",
                          "SET IDENTITY_INSERT T OFF SET IDENTITY_INSERT D ON INSERT INTO D (id, v) VALUES ('abc', 1)",
                          "INSERT INTO D (id, v) VALUES (2.5, 1)",
                          "SELECT 1 ORDER BY 2", "SELECT 1 AS a UNION SELECT 2 ORDER BY 3",
                          "SELECT v FROM T GROUP BY 2",
                          "SELECT LEN('a', 'b')", "SELECT ISNULL(1)", "SELECT COALESCE(1)",
                          "SELECT SUBSTRING('a', 1)", "SELECT ABS(1, 2)", "SELECT GETDATE(1)",
                          "SELECT REPLACE('a','b')", "SELECT ROUND(1)", "SELECT UPPER()", "SELECT COUNT()",
                          "SELECT MAX(1, 2)", "SELECT DATEADD(day, 1)", "SELECT NEWID(1)", "SELECT CHARINDEX('a')",
                          "SELECT id, v FROM T"}) {
        try { auto r = Sql(q); std::printf("OK   %s", q); for (auto& l : r.linhas) for (auto& v : l) std::printf(" [%s]", Texto(v).c_str()); std::printf("\n"); }
        catch (const zolvek::ErroDeBanco& e) { std::printf("%-5d %s\n      -> %s\n", e.Numero(), q, e.what()); }
    }
}
