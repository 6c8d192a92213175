#include "como_sql_server.hpp"

// FOR XML PATH: the rows as one XML text, the list-joining idiom STUFF((... FOR XML
// PATH('')), 1, 1, '') and .value() of FOR XML's TYPE.
class ParaXmlPath : public ComoSqlServer {
  protected:
    void SetUp() override {
        ComoSqlServer::SetUp();
        if (IsSkipped()) return;
        t_ = Tabela("Pessoa");
        u_ = Tabela("Fone");
        Sql("CREATE TABLE [" + t_ + "] (id int, nome varchar(20), saldo decimal(10,2), " +
            "nasc datetime, obs varchar(20))");
        Sql("INSERT INTO [" + t_ + "] VALUES (1, 'Ana', 10.5, '20010203 04:05:06', NULL), " +
            "(2, 'Bia & Cia', NULL, NULL, '<b>'), (3, 'Caio', 0, '20100101', '')");
        Sql("CREATE TABLE [" + u_ + "] (pessoa int, fone varchar(10))");
        Sql("INSERT INTO [" + u_ + "] VALUES (1, '111'), (1, '222'), (3, '333')");
    }
    std::string t_, u_;
};

TEST_P(ParaXmlPath, ElementosTextoENulos) {
    EXPECT_EQ(Valor("SELECT nome FROM [" + t_ + "] ORDER BY id FOR XML PATH('')"),
              "<nome>Ana</nome><nome>Bia &amp; Cia</nome><nome>Caio</nome>");
    // a column with an alias is an element, an unnamed one text; NULLs make nothing
    EXPECT_EQ(Valor("SELECT id AS n, obs, ',' + nome FROM [" + t_ +
                    "] ORDER BY id DESC FOR XML PATH('p')"),
              "<p><n>3</n><obs></obs>,Caio</p><p><n>2</n><obs>&lt;b&gt;</obs>,Bia &amp; Cia</p>"
              "<p><n>1</n>,Ana</p>");
    // PATH alone names each row <row>; ROOT wraps them all
    EXPECT_EQ(Valor("SELECT id FROM [" + t_ + "] WHERE id < 3 ORDER BY id FOR XML PATH, ROOT"),
              "<root><row><id>1</id></row><row><id>2</id></row></root>");
    EXPECT_EQ(Valor("SELECT obs FROM [" + t_ + "] WHERE id = 1 FOR XML PATH('r'), ROOT('x')"),
              "<x><r/></x>");
    // decimals keep their scale, dates are ISO 8601
    EXPECT_EQ(Valor("SELECT saldo s, nasc d FROM [" + t_ + "] WHERE id <> 2 ORDER BY id " +
                    "FOR XML PATH('')"),
              "<s>10.50</s><d>2001-02-03T04:05:06</d><s>0.00</s><d>2010-01-01T00:00:00</d>");
    // attributes on the row's element, data() apart by spaces, text() as text
    EXPECT_EQ(Valor("SELECT id AS '@id', nome AS 'text()' FROM [" + t_ +
                    "] WHERE id = 1 FOR XML PATH('p')"),
              "<p id=\"1\">Ana</p>");
    EXPECT_EQ(Valor("SELECT id AS [data()] FROM [" + t_ + "] ORDER BY id FOR XML PATH('')"),
              "1 2 3");
    // an xml value (FOR XML ..., TYPE) goes in as it is, not as text
    EXPECT_EQ(Valor("SELECT p.id AS '@id', (SELECT f.fone FROM [" + u_ + "] f WHERE f.pessoa = " +
                    "p.id ORDER BY f.fone FOR XML PATH(''), TYPE) AS fones FROM [" + t_ +
                    "] p WHERE p.id <> 2 ORDER BY p.id FOR XML PATH('p')"),
              "<p id=\"1\"><fones><fone>111</fone><fone>222</fone></fones></p>"
              "<p id=\"3\"><fones><fone>333</fone></fones></p>");
    // a carriage return is written as a character reference
    EXPECT_EQ(Valor("SELECT 'a' + CHAR(13) + 'b' FOR XML PATH('')"), "a&#x0D;b");
}

TEST_P(ParaXmlPath, ResultadoDaInstrucao) {
    auto r = Sql("SELECT nome FROM [" + t_ + "] WHERE id = 1 FOR XML PATH('')");
    ASSERT_EQ(r.colunas.size(), 1u);
    EXPECT_EQ(r.colunas[0].nome, "XML_F52E2B61-18A1-11d1-B105-00805F49916B");
    ASSERT_EQ(r.linhas.size(), 1u);
    EXPECT_EQ(SimuladorTeste::Texto(r.linhas[0][0]), "<nome>Ana</nome>");
    // no rows: no XML
    r = Sql("SELECT nome FROM [" + t_ + "] WHERE id = 9 FOR XML PATH('')");
    EXPECT_EQ(r.linhas.size(), 0u);
    EXPECT_EQ(Valor("SELECT ISNULL((SELECT nome FROM [" + t_ +
                    "] WHERE id = 9 FOR XML PATH('')), 'nada')"),
              "nada");
}

TEST_P(ParaXmlPath, JuncaoDeListas) {
    // the list of names, each joined after a comma, the first comma cut
    EXPECT_EQ(Valor("SELECT STUFF((SELECT ',' + nome FROM [" + t_ +
                    "] ORDER BY nome FOR XML PATH('')), 1, 1, '')"),
              "Ana,Bia &amp; Cia,Caio");
    // TYPE and .value() give the text back as it was
    EXPECT_EQ(Valor("SELECT STUFF((SELECT ', ' + nome FROM [" + t_ +
                    "] ORDER BY nome DESC FOR XML PATH(''), TYPE).value('.', 'nvarchar(max)'), "
                    "1, 2, '')"),
              "Caio, Bia & Cia, Ana");
    EXPECT_EQ(Valor("SELECT (SELECT '|' + obs FROM [" + t_ +
                    "] ORDER BY id FOR XML PATH(''), TYPE).value('(./text())[1]', "
                    "'varchar(max)')"),
              "|<b>|");
    // one list for each row of the outer query
    EXPECT_EQ(Coluna("SELECT CAST(p.id AS varchar(5)) + ':' + ISNULL(STUFF((SELECT ',' + f.fone "
                     "FROM [" +
                     u_ +
                     "] f WHERE f.pessoa = p.id ORDER BY f.fone DESC "
                     "FOR XML PATH('')), 1, 1, ''), '-') FROM [" +
                     t_ + "] p ORDER BY p.id"),
              "1:222,111,2:-,3:333");
}

TEST_P(ParaXmlPath, RecusasComoSqlServer) {
    EXPECT_EQ(Recusa("SELECT (SELECT nome FROM [" + t_ +
                     "] FOR XML PATH('')).value('.', 'nvarchar(max)')"),
              "258: Cannot call methods on nvarchar(max).");
    EXPECT_EQ(Recusa("SELECT id AS '@id' FROM [" + t_ + "] FOR XML PATH('')"),
              "6864: Row tag omission (empty row tag name) cannot be used with attribute-centric "
              "FOR XML serialization.");
    EXPECT_EQ(Recusa("SELECT nome, id AS '@id' FROM [" + t_ + "] FOR XML PATH('p')"),
              "6852: Attribute-centric column '@id' must not come after a non-attribute-centric "
              "sibling in XML hierarchy in FOR XML PATH.");
    EXPECT_EQ(Recusa("SELECT id AS [um dois] FROM [" + t_ + "] FOR XML PATH('')"),
              "6850: Column name 'um dois' contains an invalid XML identifier as required by "
              "FOR XML; ' '(0x0020) is the first character at fault.");
    EXPECT_EQ(Recusa("SELECT 'a' + CHAR(1) FOR XML PATH('')"),
              "6841: FOR XML could not serialize the data for node 'NoName' because it "
              "contains a character (0x0001) which is not allowed in XML. To retrieve this "
              "data using FOR XML, convert it to binary, varbinary or image data type and use "
              "the BINARY BASE64 directive.");
    EXPECT_EQ(Recusa("SELECT (SELECT nome FROM [" + t_ + "] UNION SELECT 'x' FOR XML PATH(''))"),
              "1086: The FOR XML clause is invalid in views, inline functions, derived tables, "
              "and subqueries when they contain a set operator. To work around, wrap the "
              "SELECT containing a set operator using derived table syntax and apply FOR XML "
              "on top of it.");
}

INSTANTIATE_TEST_SUITE_P(Servidores, ParaXmlPath, ::testing::Values("simulador", "mssql"));

// What the stand-in does not build it refuses, rather than answer otherwise.
class ParaXmlRecusado : public SimuladorTeste {};

TEST_F(ParaXmlRecusado, FormasNaoConstruidas) {
    Sql("CREATE TABLE T (id int, f float, nome varchar(10))");
    const std::string recusa = "O simulador de SQL Server não aceita ";
    EXPECT_EQ(Falha("SELECT id FROM T FOR XML RAW"), recusa + "FOR XML RAW; use FOR XML PATH.");
    EXPECT_EQ(Falha("SELECT id FROM T FOR XML AUTO"), recusa + "FOR XML AUTO; use FOR XML PATH.");
    EXPECT_EQ(Falha("SELECT id FROM T FOR JSON PATH"), recusa + "FOR JSON.");
    EXPECT_EQ(Falha("SELECT f FROM T FOR XML PATH('')"),
              recusa + "valores do tipo float em FOR XML PATH; converta-os antes em texto.");
    EXPECT_EQ(Falha("SELECT * FROM (SELECT id FROM T FOR XML PATH('')) x"),
              recusa +
                  "FOR XML numa tabela derivada, em IN, EXISTS ou WITH; só na consulta da "
                  "instrução ou numa subconsulta escalar.");
    EXPECT_EQ(Falha("SELECT id AS [a/b] FROM T FOR XML PATH('')"),
              recusa +
                  "o caminho 'a/b' como nome de coluna de FOR XML PATH; só nomes simples, "
                  "@atributo, text(), data() e *.");
    EXPECT_EQ(Falha("SELECT (SELECT nome FROM T FOR XML PATH(''), TYPE).query('.')"),
              recusa + "o método 'query' de xml; só .value('.', 'tipo').");
    // SELECT * names each column of the table
    Sql("CREATE TABLE U (id int, nome varchar(10)); INSERT INTO U VALUES (7, 'x'), (8, NULL)");
    EXPECT_EQ(Valor("SELECT * FROM U ORDER BY id FOR XML PATH('u')"),
              "<u><id>7</id><nome>x</nome></u><u><id>8</id></u>");
    EXPECT_EQ(Valor("SELECT u.*, 1 AS k FROM U u WHERE id = 7 FOR XML PATH('')"),
              "<id>7</id><nome>x</nome><k>1</k>");
    EXPECT_EQ(Falha("DECLARE @v varchar(max); SELECT @v = nome FROM T FOR XML PATH('')"),
              "The FOR XML clause is not allowed in a ASSIGNMENT statement.");
}
