#pragma once

// The procedural statements of T-SQL: variables, loops, cursors, errors and the
// bodies of procedures, triggers and functions. Included by arvore.hpp, which
// defines Faixa, Comando and DefColuna before it.
namespace zolvek::simulador::instrucao {

struct Declarar {
    std::vector<VariavelDeclarada> variaveis;
};

struct DeclararCursor {
    std::string cursor;
    std::vector<std::string> opcoes;  // LOCAL, FAST_FORWARD, ... upper case
    ConsultaLida selecao;
};

struct Atribuir {  // SET @v = valor, SET @v += valor
    std::string variavel;
    std::string operador;  // "=", "+=", "-=", ...
    // the value assigned: SET @v += x reads as @v + (x); its tokens are those of x
    ExpressaoLida valor;
};

struct Enquanto {
    ExpressaoLida condicao;
    std::unique_ptr<Comando> corpo;
};

struct Interromper {};  // BREAK
struct Continuar {};    // CONTINUE

struct AbrirCursor {
    std::string cursor;
};

struct BuscarCursor {  // FETCH NEXT FROM c INTO @a, @b
    std::string cursor;
    std::string direcao;  // NEXT, PRIOR, FIRST, LAST
    std::vector<std::string> destinos;
};

struct FecharCursor {
    std::string cursor;
};

struct DesalocarCursor {
    std::string cursor;
};

struct Retornar {
    ExpressaoLida valor;  // empty: RETURN alone
    // RETURN alone in a scalar function: the syntax error it is there
    std::shared_ptr<const ErroDeBanco> semValor;
};

struct LevantarErro {  // RAISERROR (mensagem, severidade, estado [, argumentos])
    std::vector<ExpressaoLida> argumentos;  // a bare word reads as a text
    std::vector<std::string> opcoes;        // NOWAIT, LOG, SETERROR
};

struct Imprimir {
    ExpressaoLida valor;
};

struct ExecutarTexto {                  // EXEC ('texto' + @x)
    std::vector<ExpressaoLida> partes;  // a bare word reads as a text, NULL as nothing
};

// A statement SQL Server runs and the engine does not read (WAITFOR, MERGE, ...):
// kept in a body, refused when it runs.
struct NaoInterpretada {
    std::string instrucao;
};

struct TentarCapturar {               // BEGIN TRY ... END TRY BEGIN CATCH ... END CATCH
    std::unique_ptr<Comando> tentar;  // a Bloco
    std::unique_ptr<Comando> capturar;
};

}  // namespace zolvek::simulador::instrucao
